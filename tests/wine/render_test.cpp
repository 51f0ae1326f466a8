// The renderers drawing into plain test windows under Wine's Direct3D, checked
// by screenshots of the X display.
#include <cstring>

#include "../shaders/test_shaders.h"
#include "app/app_state_win.h"
#include "app/frame_timer_win.h"
#include "app/gpu_recovery_win.h"
#include "app/main_window_win.h"
#include "app/screens_apply_win.h"
#include "base/files_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "desktop/screens_win.h"
#include "harness_win.h"
#include "render/graphics_win.h"
#include "render/image_renderer_win.h"
#include "render/shader_renderer_win.h"
#include "render/shader_source.h"

using namespace harness;

namespace {

class RenderTest : public RenderWindowTest {
 protected:
  // Four vertical bands of 100 x 100: red, green, blue, white.
  std::u16string BandsPng() {
    const std::u16string path = File("bands.png");
    const uint32_t bands[] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu};
    WritePicture(W(path), 400, 100, [&](int x, int) { return bands[x / 100]; });
    return path;
  }
};

TEST_F(RenderTest, PictureFitsWithBarsFillsCroppedAndFollowsPanAndZoom) {
  const std::u16string path = BandsPng();
  {
    // Fit: the whole picture in a band 80 pixels high, black above and below.
    gSettings.fit = true;
    ImageRenderer r(gSettings.frames, gSettings.fit);
    r.screenKey = u"TEST";
    ASSERT_TRUE(r.Init(Window(), kW, kH, path));
    EXPECT_TRUE(r.ready);
    EXPECT_FALSE(r.NeedsFrames());
    const Shot s = Capture();
    EXPECT_COLOUR(s, 40, 90, 255, 0, 0);
    EXPECT_COLOUR(s, 120, 90, 0, 255, 0);
    EXPECT_COLOUR(s, 200, 90, 0, 0, 255);
    EXPECT_COLOUR(s, 280, 90, 255, 255, 255);
    EXPECT_COLOUR(s, 40, 30, 0, 0, 0);
    EXPECT_COLOUR(s, 280, 150, 0, 0, 0);
    EXPECT_COLOUR(s, 160, 5, 0, 0, 0);
    gSettings.fit = false;
  }
  // Zoom 2 on the right edge shows only white.
  gSettings.frames[u"TEST"] = {0.875f, 0.5f, 2.0f};
  ImageRenderer r(gSettings.frames, gSettings.fit);
  r.screenKey = u"TEST";
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  Shot s = Capture();
  for (const auto& [x, y] : {std::pair{5, 5}, {160, 90}, {314, 174}}) EXPECT_COLOUR(s, x, y, 255, 255, 255);
  // Refresh after the frame moved to another screen: fill, a 4:1 picture on
  // 16:9 keeping its middle, green left and blue right.
  gSettings.frames.erase(u"TEST");
  gSettings.frames[u"OTHER"] = {0.125f, 0.5f, 2.0f};
  r.Refresh();
  s = Capture();
  EXPECT_COLOUR(s, 40, 20, 0, 255, 0);
  EXPECT_COLOUR(s, 140, 160, 0, 255, 0);
  EXPECT_COLOUR(s, 180, 20, 0, 0, 255);
  EXPECT_COLOUR(s, 300, 160, 0, 0, 255);
}

TEST_F(RenderTest, PictureScaledUpKeepsItsEdgePixels) {
  // White at 2x: the outermost pixels of the surface stay white, no dark seam.
  const std::u16string path = File("white.png");
  WritePicture(W(path), kW / 2, kH / 2, [](int, int) { return 0xFFFFFFu; });
  ImageRenderer r(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  const Shot s = Capture();
  for (const auto& [x, y] : {std::pair{0, 0}, {kW - 1, 0}, {0, kH - 1}, {kW - 1, kH - 1}, {kW / 2, 0}})
    EXPECT_COLOUR(s, x, y, 255, 255, 255);
}

TEST_F(RenderTest, PhotoStoredSidewaysStandsUpright) {
  // Stored 64 x 32, red above blue, with Exif orientation 6 (turn clockwise):
  // upright it is 32 x 64, blue on the left and red on the right.
  // Wine's JPEG encoder mixes the channels up, so ImageMagick writes the picture.
  const std::string jpg = ScratchDir().unixDir + "/portrait.jpg";
  ASSERT_TRUE(RunLinux("convert -size 64x16 xc:red -size 64x16 xc:blue -append " + jpg + ".tmp.jpg && mv " + jpg +
                           ".tmp.jpg " + jpg,
                       jpg, 20000));
  const std::u16string path = File("portrait.jpg");
  const std::string tiff("II\x2A\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0\x06\0\0\0\0\0\0\0", 26);
  const std::string body = std::string("Exif\0\0", 6) + tiff;
  std::string jpeg = ReadFileBytes(W(path));
  jpeg.insert(2, std::string("\xFF\xE1\0", 3) + static_cast<char>(body.size() + 2) + body);
  WriteFileBytes(W(path), jpeg);
  ImageRenderer r(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  EXPECT_EQ(r.canvasWidth(), 32u);
  EXPECT_EQ(r.canvasHeight(), 64u);
  const Shot s = Capture();
  EXPECT_COLOUR(s, 60, 90, 0, 0, 255);
  EXPECT_COLOUR(s, 260, 90, 255, 0, 0);
}

TEST_F(RenderTest, APictureOfTheSurfacesSizeIsCopiedPixelForPixel) {
  const std::u16string path = File("exact.png");
  const uint32_t quarters[] = {0xFF0000u, 0x0000FFu, 0x00FF00u, 0xFFFFFFu};
  WritePicture(W(path), kW, kH, [&](int x, int y) { return quarters[(x < kW / 2 ? 0 : 1) + (y < kH / 2 ? 0 : 2)]; });
  gGraphics.context->PSSetShader(nullptr, nullptr, 0);
  ImageRenderer r(gSettings.frames, gSettings.fit);
  r.screenKey = u"TEST";
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  Microsoft::WRL::ComPtr<ID3D11PixelShader> shader;
  gGraphics.context->PSGetShader(&shader, nullptr, nullptr);
  EXPECT_FALSE(shader) << "copied, not drawn";
  Shot s = Capture();
  for (const auto& [x, y, colour] : {std::tuple{0, 0, 0}, {kW / 2 - 1, kH / 2 - 1, 0}, {kW / 2, 0, 1},
                                     {kW - 1, kH / 2 - 1, 1}, {0, kH / 2, 2}, {kW / 2 - 1, kH - 1, 2},
                                     {kW / 2, kH / 2, 3}, {kW - 1, kH - 1, 3}})
    EXPECT_COLOUR(s, x, y, quarters[colour] >> 16, (quarters[colour] >> 8) & 0xFF, quarters[colour] & 0xFF);
  // Zoomed onto the white quarter: the first blit draws with the new placement.
  gSettings.frames[u"TEST"] = {0.75f, 0.75f, 2.0f};
  r.Refresh();
  s = Capture();
  for (const auto& [x, y] : {std::pair{1, 1}, {kW - 2, 1}, {1, kH - 2}, {kW - 2, kH - 2}})
    EXPECT_COLOUR(s, x, y, 255, 255, 255);
}

TEST_F(RenderTest, AnimatedGifShowsItsFramesInTurnFromTheCache) {
  // Frame 0 all red (0.5 s); frame 1 green over the left half (1 s, then
  // disposed to black); frame 2 blue over the right half (0.2 s).
  const std::u16string path = File("anim.gif");
  WriteWholeFile(path,
                 MakeGif(64, 36, {{0, 0, 64, 36, 1, 50, 1}, {0, 0, 32, 36, 2, 100, 2}, {32, 0, 32, 36, 3, 20, 0}}));
  ImageRenderer r(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  EXPECT_EQ(r.frameCount(), 3u);
  EXPECT_TRUE(r.NeedsFrames());
  EXPECT_TRUE(r.cacheFrames());
  // Quarter-second ticks.
  for (uint32_t want : {0, 1, 1, 1, 1, 2, 0}) {
    r.Tick(0.25);
    EXPECT_EQ(r.current(), want);
  }
  EXPECT_FALSE(r.decoderOpen());  // every frame cached: the file is closed
  r.Tick(0.5);
  const Shot s = Capture();
  EXPECT_COLOUR(s, 60, 90, 0, 255, 0) << "frame 1 again, from the cache";
  EXPECT_COLOUR(s, 260, 90, 255, 0, 0);
}

TEST_F(RenderTest, AnimationsOverTheBudgetRecomposeEveryFrameFromTheOpenFile) {
  // 13 frames of a 2048 x 2048 screen take 208 MiB as textures: over the
  // budget, so one canvas texture is updated for every frame instead.
  std::vector<GifFrame> frames = {{0, 0, 2048, 2048, 1, 2, 1}, {0, 0, 1024, 2048, 2, 2, 1}};
  frames.resize(13, {0, 0, 1, 1, 4, 2, 1});
  const std::u16string path = File("big.gif");
  WriteWholeFile(path, MakeGif(2048, 2048, frames));
  ImageRenderer r(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  EXPECT_FALSE(r.cacheFrames());
  for (int i = 0; i < 13; ++i) r.Tick(0.02);
  EXPECT_EQ(r.current(), 0u);
  EXPECT_TRUE(r.decoderOpen()) << "frames are decoded again on every pass";
  r.Tick(0.02);
  // A zoom into the green half shows at once, redrawn from the canvas texture.
  gSettings.frames[u""] = {0.25f, 0.5f, 2.0f};
  r.Refresh();
  const Shot s = Capture();
  EXPECT_COLOUR(s, 260, 90, 0, 255, 0) << "pan and zoom of an uncached picture";
}

TEST_F(RenderTest, AStillOverTheBudgetLetsGoOfItsFileOnceShown) {
  // 16384 x 3100 green pixels take 203 MB: over the 192 MiB budget. A plain
  // 32-bit BMP is quick to make at that size.
  const std::u16string path = File("huge.bmp");
  constexpr LONG w = 16384, h = 3100;
  const BITMAPFILEHEADER file{0x4D42, 54 + w * h * 4, 0, 0, 54};
  const BITMAPINFOHEADER info{40, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::string bytes(54 + size_t{w} * h * 4, '\x00');
  std::memcpy(&bytes[0], &file, 14), std::memcpy(&bytes[14], &info, 40);
  for (size_t at = 54; at < bytes.size(); at += 4) bytes[at + 1] = bytes[at + 3] = '\xFF';
  WriteWholeFile(path, bytes);
  ImageRenderer r(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  EXPECT_FALSE(r.cacheFrames());
  EXPECT_FALSE(r.decoderOpen());
  const std::u16string renamed = File("renamed.bmp");
  EXPECT_TRUE(MoveFileW(W(path), W(renamed))) << GetLastError();
  EXPECT_TRUE(DeleteFileW(W(renamed))) << GetLastError();
  gSettings.frames[u""] = {0.5f, 0.5f, 2.0f};
  r.Refresh();  // drawn again from the texture alone
  const Shot s = Capture();
  EXPECT_COLOUR(s, kW / 2, kH / 2, 0, 255, 0);
}

TEST_F(RenderTest, ADestroyedRendererLeavesNothingOfItsOwnOnTheContext) {
  const auto bound = [] {
    Microsoft::WRL::ComPtr<ID3D11RenderTargetView> target;
    gGraphics.context->OMGetRenderTargets(1, &target, nullptr);
    Microsoft::WRL::ComPtr<ID3D11Buffer> constants;
    gGraphics.context->PSGetConstantBuffers(0, 1, &constants);
    Microsoft::WRL::ComPtr<ID3D11PixelShader> pixelShader;
    gGraphics.context->PSGetShader(&pixelShader, nullptr, nullptr);
    return target || constants || pixelShader;
  };
  {
    ImageRenderer image(gSettings.frames, gSettings.fit);
    ASSERT_TRUE(image.Init(Window(), kW, kH, BandsPng()));
  }
  EXPECT_FALSE(bound()) << "after a picture";
  const std::u16string shader = File("unbind.hlsl");
  WriteWholeFile(shader, "#define mainImage(p) float4(1, 0, 0, 1)\n");
  {
    ShaderRenderer pixels(gSettings.shaderScale);
    ASSERT_TRUE(pixels.Init(Window(), kW, kH, shader));
    pixels.Tick(0.02);
  }
  EXPECT_FALSE(bound()) << "after a shader";
}

TEST_F(RenderTest, GifDelaysPagesAndUnusableFiles) {
  // A frame without a delay of its own gets the default, not its predecessor's.
  const std::u16string gif = File("delays.gif");
  WriteWholeFile(gif, MakeGif(8, 8, {{0, 0, 8, 8, 1, 30, 0}, {0, 0, 8, 8, 4, 0, 0, false}}));
  ImageRenderer delays(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(delays.Init(Window(), kW, kH, gif));
  for (int i = 0; i < 3; ++i) delays.Tick(1.0);
  EXPECT_EQ(delays.delays(), (std::vector<double>{0.3, 0.1}));

  // A multi-page TIFF is a still picture of its first page.
  const std::u16string tiff = File("pages.tiff");
  WritePicture(W(tiff), 64, 36, [](int, int) { return 0xFF0000u; }, GUID_ContainerFormatTiff, 2);
  ImageRenderer pages(gSettings.frames, gSettings.fit);
  ASSERT_TRUE(pages.Init(Window(), kW, kH, tiff));
  EXPECT_EQ(pages.frameCount(), 1u);
  EXPECT_FALSE(pages.NeedsFrames());

  const std::u16string text = File("notes.png");
  WriteWholeFile(text, "this is not a picture\r\n");
  const std::u16string empty = File("empty.gif");
  WriteWholeFile(empty, "");
  // A one-pixel image on a declared 65535 x 65535 screen: 16 GiB of canvas.
  const std::u16string hostile = File("huge-screen.gif");
  WriteWholeFile(hostile, MakeGif(65535, 65535, {{0, 0, 1, 1, 1, 10, 0}}));
  for (const std::u16string& path : {text, empty, hostile, File("missing.jpg")}) {
    ImageRenderer r(gSettings.frames, gSettings.fit);
    EXPECT_FALSE(r.Init(Window(), kW, kH, path)) << Utf16ToUtf8(path);
    EXPECT_FALSE(r.ready);
  }
}

class ShaderTest : public RenderTest {};

TEST_F(ShaderTest, MacroWallpaperShowsOriginResolutionAndRenderScale) {
  const std::u16string path = File("halves.hlsl");
  WriteWholeFile(path, std::string(test_shaders::kHalvesWallpaper));
  gSettings.shaderScale = 50;
  ShaderRenderer r(gSettings.shaderScale);
  ASSERT_TRUE(r.Init(Window(), kW, kH, path));
  EXPECT_EQ(r.renderWidth(), 160u);
  EXPECT_EQ(r.renderHeight(), 90u);
  EXPECT_DOUBLE_EQ(r.time(), ShaderStartTime(path));
  EXPECT_FALSE(r.ready);
  r.Tick(0.25);
  EXPECT_TRUE(r.ready);
  EXPECT_DOUBLE_EQ(r.time(), ShaderStartTime(path) + 0.25);
  const Shot s = Capture();
  // Top half red, bottom half blue; the 40 render pixels of green are 80
  // window pixels at half scale.
  EXPECT_COLOUR(s, 200, 40, 255, 0, 0);
  EXPECT_COLOUR(s, 200, 140, 0, 0, 255);
  EXPECT_COLOUR(s, 40, 40, 255, 255, 0);
  EXPECT_COLOUR(s, 40, 140, 0, 255, 255);
  EXPECT_COLOUR(s, 100, 40, 255, 0, 0);
}

TEST_F(ShaderTest, CompileErrorsAreLoggedWithThePath) {
  const std::u16string path = File("no-main.hlsl");
  WriteWholeFile(path, std::string(test_shaders::kNoMainImage));
  ShaderRenderer r(gSettings.shaderScale);
  EXPECT_FALSE(r.Init(Window(), kW, kH, path));
  const std::string log = ReadLog();
  const std::string expected = "shader compile error in " + Utf16ToUtf8(path) + ":\n";
  const size_t at = log.find(expected);
  ASSERT_NE(at, std::string::npos) << log;
  EXPECT_GT(log.size(), at + expected.size() + 2) << "the compiler's messages follow";
  EXPECT_NE(log.find("no-main.hlsl", at + expected.size()), std::string::npos) << "messages name the file";

  ShaderRenderer missing(gSettings.shaderScale);
  EXPECT_FALSE(missing.Init(Window(), kW, kH, File("absent.hlsl")));
}

class GpuResetTest : public RenderTest {
 protected:
  void SetUp() override {
    RenderTest::SetUp();
    ClearGpuResetStop();
    UseTestMainWindow();
  }
  void TearDown() override {
    ClearGpuResetStop();
    EndGpuResetWait();
    RenderTest::TearDown();
  }

  // A screen drawing an animated GIF, as the surfaces hold it, whose next frame pass presents and loses the device.
  void LoseDeviceDrawing() {
    const std::u16string path = File("reset.gif");
    WriteWholeFile(path, MakeGif(8, 8, {{0, 0, 8, 8, 1, 2, 0}, {0, 0, 8, 8, 2, 2, 0}}));
    auto renderer = std::make_unique<ImageRenderer>(gSettings.frames, gSettings.fit);
    ASSERT_TRUE(renderer->Init(Window(), kW, kH, path));
    auto screen = std::make_unique<Screen>();
    screen->key = u"TEST";
    screen->renderer = std::move(renderer);
    gScreens.push_back(std::move(screen));
    RunFrame();
    EXPECT_FALSE(gDeviceLost);
    gFailNextPresent = true;
    Sleep(30);  // past the 0.02 s delay, so the frame pass presents
    RunFrame();
    EXPECT_FALSE(gDeviceLost) << "cleared by the recovery";
  }
};

TEST_F(GpuResetTest, FirstLossRetriesLaterAndASecondWithinFiveMinutesStops) {
  ASSERT_TRUE(MediaDeviceManager()) << "as the first video makes it";
  LoseDeviceDrawing();
  EXPECT_FALSE(gGraphics.device) << "the device is released";
  EXPECT_TRUE(gGraphics.deviceManager) << "the device manager survives";
  EXPECT_FALSE(RenderingStopped());
  EXPECT_NE(ReadLog().find("GPU reset; retrying in 15 seconds\r\n"), std::string::npos);
  // During the wait the library keeps the screens, and a pick (which rebuilds
  // when it cannot apply in place) waits in the settings for the timer.
  const auto listedWithoutSurfaces = [] {
    for (const auto& screen : gScreens)
      if (screen->window || screen->renderer) return false;
    return !gScreens.empty();
  };
  EXPECT_TRUE(listedWithoutSurfaces());
  RebuildScreens();
  EXPECT_TRUE(listedWithoutSurfaces());
  EXPECT_FALSE(gGraphics.device) << "no device before the rebuild timer";
  EXPECT_TRUE(KillTimer(gApp.mainWindow, TIMER_REBUILD)) << "the rebuild timer was armed";

  // The rebuild makes a new device, and the manager moves onto it.
  MainWindowProc(gApp.mainWindow, WM_TIMER, TIMER_REBUILD, 0);
  ASSERT_TRUE(gGraphics.device) << ReadLog();
  gScreens.clear();
  LoseDeviceDrawing();
  EXPECT_TRUE(RenderingStopped());
  EXPECT_FALSE(gGraphics.device) << "no device while stopped";
  for (const auto& screen : gScreens) EXPECT_FALSE(screen->window || screen->renderer) << "no surface while stopped";
  EXPECT_NE(ReadLog().find("GPU reset twice in 5 minutes; stopped rendering. Pick a wallpaper in the library to try "
                           "again.\r\n"),
            std::string::npos);
  EXPECT_FALSE(KillTimer(gApp.mainWindow, TIMER_REBUILD)) << "no retry once stopped";

  // An apply lifts the stop; a loss a moment later is retried again.
  ClearGpuResetStop();
  EXPECT_FALSE(RenderingStopped());
  ASSERT_TRUE(EnsureDevice());
  LoseDeviceDrawing();
  EXPECT_FALSE(RenderingStopped());
  EXPECT_TRUE(KillTimer(gApp.mainWindow, TIMER_REBUILD));
}

TEST_F(GpuResetTest, DeviceAndSharedObjectsComeBackAfterRelease) {
  const auto shared = [] {
    return gGraphics.factory && gGraphics.fullScreenVertexShader && gGraphics.blitPixelShader && gGraphics.sampler;
  };
  ASSERT_TRUE(EnsureDevice());
  ID3D11Device* first = gGraphics.device.Get();
  EXPECT_TRUE(EnsureDevice());
  EXPECT_EQ(gGraphics.device.Get(), first) << "a healthy device is kept";
  EXPECT_TRUE(EnsureBuiltInShaders());
  EXPECT_TRUE(shared());
  ReleaseDevice();
  EXPECT_FALSE(gGraphics.device || gGraphics.context || gGraphics.factory || gGraphics.sampler);
  ASSERT_TRUE(EnsureDevice());
  EXPECT_FALSE(gGraphics.fullScreenVertexShader || gGraphics.blitPixelShader) << "made with their first use";
  EXPECT_TRUE(EnsureBuiltInShaders());
  EXPECT_TRUE(shared());
  EXPECT_GE(MaxTextureSide(), 8192u);
  // A manager that refuses the new device is logged once and replaced by the next video's.
  ASSERT_TRUE(MediaDeviceManager());
  ReleaseDevice();
  ++gGraphics.resetToken;
  ASSERT_TRUE(EnsureDevice());
  EXPECT_FALSE(gGraphics.deviceManager) << "no video is started on a manager without a device";
  EXPECT_EQ(Count(ReadLog(), "video device manager ResetDevice failed hr 0x80070057"), 1u) << ReadLog();
  EXPECT_TRUE(MediaDeviceManager());
  // A zero-width swap chain is made one pixel wide.
  auto swapChain = CreateSurfaceSwapChain(Window(), 0, 0);
  ASSERT_TRUE(swapChain);
  DXGI_SWAP_CHAIN_DESC1 desc{};
  swapChain->GetDesc1(&desc);
  EXPECT_EQ(std::tuple(desc.Width, desc.Height, desc.BufferCount), std::tuple(1u, 1u, 2u));
}

}  // namespace
