// The shader wallpaper convention, render size and clock; and glslang's HLSL
// front end over every shader text we write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "../../shaders/test_shaders.h"
#include "render/builtin_shaders.h"
#include "render/shader_source.h"

namespace {

TEST(ShaderSourceTest, WrapsTheFileBytesUntouched) {
  const std::string file = std::string("float4 mainImage(float2 p) { return 1; }\r\n// caf\xC3\xA9\0x", 45);
  const std::string source = BuildShaderSource(file);
  EXPECT_EQ(source,
            "cbuffer G : register(b0) { float iTime; float3 _p0; float2 iResolution; float2 _p1; };\n#line 1\n" +
                file +
                "\nfloat4 main(float4 p : SV_Position) : SV_Target { return float4(mainImage(float2(p.x, "
                "iResolution.y - p.y)).rgb, 1); }\n");
}

TEST(ShaderSourceTest, RenderSizeScalesTruncatesAndNeverReachesZero) {
  struct Case {
    uint32_t width, height;
    int32_t scale;
    uint32_t expectedWidth, expectedHeight;
  };
  for (const Case& c : {Case{1921, 1081, 50, 960, 540}, Case{3, 3, 25, 1, 1}, Case{3840, 2160, 100, 3840, 2160},
                        Case{0, 0, 50, 1, 1}}) {
    const RenderSize size = ShaderRenderSize(c.width, c.height, c.scale);
    EXPECT_EQ(std::pair(size.width, size.height), std::pair(c.expectedWidth, c.expectedHeight)) << c.width;
  }
  EXPECT_EQ(ShaderRenderSize(7, 1000, 33).width, 2u);  // 7 * 0.33 = 2.31
}

TEST(ShaderClockTest, StartTimeIsTheFnvHashOfTheUtf16Path) {
  EXPECT_EQ(Fnv1a64(u""), 0xcbf29ce484222325ull);
  EXPECT_EQ(Fnv1a64(u"a"), 0x089be207b544f1e4ull);  // the bytes 61 00: the high byte counts
  EXPECT_NE(Fnv1a64(u"\u0161"), Fnv1a64(u"\u0061"));
  EXPECT_EQ(ShaderStartTime(u"C:\\Users\\me\\wallpapers\\plasma.hlsl"), 586.0);
  EXPECT_EQ(ShaderStartTime(u"C:\\Users\\me\\wallpapers\\waves.hlsl"), 446.0);
  EXPECT_EQ(ShaderStartTime(u""), 37.0);
}

TEST(ShaderClockTest, ClockWrapsEveryHour) {
  EXPECT_FLOAT_EQ(ShaderClock(12.5), 12.5f);
  EXPECT_FLOAT_EQ(ShaderClock(3599.75), 3599.75f);
  EXPECT_NEAR(ShaderClock(3600.0 + 0.25), 0.25f, 1e-4f);
  // Measured from a start offset: after an hour the clock is back where it began.
  const double start = 731.0;
  EXPECT_NEAR(ShaderClock(start + 3600.0), ShaderClock(start), 1e-3f);
  EXPECT_NEAR(ShaderClock(1e7 + 0.5), std::fmod(1e7 + 0.5, 3600.0), 1e-3);
}

// glslang's HLSL front end stands in, on Linux, for the platform compiler.
class GlslangTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("lh-glslang-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  // Compiles `text` as `stage`; returns the exit status and fills `output`.
  int Compile(const std::string& name, std::string_view text, const char* stage, std::string& output) {
    const auto file = dir_ / name;
    std::ofstream(file, std::ios::binary) << text;
    const std::string command = "glslangValidator -D -V -e main -S " + std::string(stage) + " -o /dev/null '" +
                                file.string() + "' 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return -1;
    std::array<char, 512> buffer;
    output.clear();
    while (fgets(buffer.data(), buffer.size(), pipe)) output += buffer.data();
    return pclose(pipe);
  }

  std::filesystem::path dir_;
};

TEST_F(GlslangTest, BuiltInShadersAndWallpapersCompile) {
  std::string out;
  EXPECT_EQ(Compile("vs.hlsl", kFullScreenVertexShader, "vert", out), 0) << out;
  EXPECT_EQ(Compile("blit.hlsl", kBlitPixelShader, "frag", out), 0) << out;
  EXPECT_EQ(Compile("halves.hlsl", BuildShaderSource(test_shaders::kHalvesWallpaper), "frag", out), 0) << out;
  EXPECT_EQ(Compile("plasma.hlsl", BuildShaderSource(test_shaders::kPlasmaWallpaper), "frag", out), 0) << out;
}

TEST_F(GlslangTest, ErrorsAreRejectedAndCountLinesFromTheUsersFile) {
  std::string out;
  EXPECT_NE(Compile("none.hlsl", BuildShaderSource(test_shaders::kNoMainImage), "frag", out), 0);
  EXPECT_NE(out.find("mainImage"), std::string::npos) << out;

  EXPECT_NE(Compile("line3.hlsl", BuildShaderSource(test_shaders::kErrorOnLineThree), "frag", out), 0);
  EXPECT_NE(out.find("line3.hlsl:3:"), std::string::npos) << out;
  EXPECT_EQ(out.find("line3.hlsl:5:"), std::string::npos) << out;  // what it would say without "#line 1"
}

}  // namespace
