#pragma once
// Shader wallpaper files used by the tests, kept as text in one place so the
// native glslang check and the Wine run see the same bytes.
#include <string_view>

namespace test_shaders {

// A macro mainImage compiles even with Wine's limited HLSL compiler. Red marks
// the top half (through iResolution and the bottom-left origin); green marks
// render pixels with x below 40, an absolute count that shows the render scale.
inline constexpr std::string_view kHalvesWallpaper =
    "// top half red, bottom half blue; a 40-pixel green band on the left\n"
    "#define mainImage(p) float4(saturate((p.y - iResolution.y * 0.5) * 1000.0), saturate((40.0 - p.x) * "
    "1000.0), saturate((iResolution.y * 0.5 - p.y) * 1000.0), 1)\n";

// The kind of file users write for the real compiler: functions and intrinsics.
inline constexpr std::string_view kPlasmaWallpaper =
    "float3 palette(float t) { return 0.5 + 0.5 * cos(6.28318 * (t + float3(0.0, 0.33, 0.67))); }\n"
    "float4 mainImage(float2 p) {\n"
    "  float2 uv = p / iResolution.xy;\n"
    "  float v = sin(uv.x * 10.0 + iTime) + sin((uv.y * 10.0 + iTime) * 0.5);\n"
    "  v += sin(length(uv - 0.5) * 12.0 - iTime);\n"
    "  return float4(palette(frac(v * 0.25)), 1.0);\n"
    "}\n";

// No mainImage at all: the compile-error path.
inline constexpr std::string_view kNoMainImage = "float4 somethingElse(float2 p) { return float4(p, 0, 1); }\n";

// A mistake on line 3 of the file: messages must say line 3.
inline constexpr std::string_view kErrorOnLineThree =
    "float4 mainImage(float2 p) {\n"
    "  float x = p.x;\n"
    "  return notDeclaredAnywhere;\n"
    "}\n";

}  // namespace test_shaders
