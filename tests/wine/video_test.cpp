// Video wallpapers through Wine's media engine, drawing into plain test
// windows and screensaver windows, checked by screenshots of the X display.
// The videos are made at test time with ffmpeg from pictures we write.
#include <mferror.h>

#include "app/app_state_win.h"
#include "app/frame_timer_win.h"
#include "app/gpu_recovery_win.h"
#include "app/main_window_win.h"
#include "app/screens_apply_win.h"
#include "app/screensaver_win.h"
#include "base/files_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "desktop/screens_win.h"
#include "harness_win.h"
#include "pause/pause_win.h"
#include "render/graphics_win.h"
#include "render/video_renderer_win.h"

using namespace harness;
using Microsoft::WRL::ComPtr;

namespace {

constexpr char kFailLine[] = "video failed to play (codec not supported?)";

// The test videos, made once for the whole run from a 400 x 100 picture: the
// top half in bands of red, green, blue, white; the bottom half in the reverse
// order, so both axes of the picture can be told apart.
struct Videos {
  std::u16string h264, withAudio, audioOnly;
};

const Videos& TestVideos() {
  static const Videos videos = [] {
    const uint32_t colours[4] = {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFFFFu};
    WritePicture(W(ScratchDir().windowsDir + u"\\bands.png"), 400, 100,
                 [&](int x, int y) { return colours[y < 50 ? x / 100 : 3 - x / 100]; });
    // Six seconds: Wine's engine plays once and stops (it ignores SetLoop).
    const std::string dir = ScratchDir().unixDir;
    const std::string ff = "ffmpeg -v error -y -nostdin -loop 1 -framerate 30 -i " + dir + "/bands.png ";
    const std::string out = " -t 6 -pix_fmt yuv420p -c:v libx264 -preset ultrafast " + dir + "/tmp-";
    RunLinux(ff + out + "bands.mp4 && " + ff + "-f lavfi -i sine=frequency=440:duration=6 -c:a aac -shortest" + out +
                 "sound.mp4 && ffmpeg -v error -y -nostdin -f lavfi -i sine=frequency=440:duration=3 -c:a aac " + dir +
                 "/tmp-tone.mp4 && mv " + dir + "/tmp-bands.mp4 " + dir + "/bands.mp4 && mv " + dir +
                 "/tmp-sound.mp4 " + dir + "/sound.mp4 && mv " + dir + "/tmp-tone.mp4 " + dir +
                 "/tone.mp4 && touch " + dir + "/videos.done",
             dir + "/videos.done", 120000);
    const std::u16string w = ScratchDir().windowsDir + u"\\";
    return Videos{w + u"bands.mp4", w + u"sound.mp4", w + u"tone.mp4"};
  }();
  return videos;
}

class VideoTest : public RenderWindowTest {
 protected:
  static void SetUpTestSuite() {
    RenderWindowTest::SetUpTestSuite();
    TestVideos();
  }
  void SetUp() override {
    RenderWindowTest::SetUp();
    tolerance = 40;
  }

  std::unique_ptr<VideoRenderer> Start(const std::u16string& path, const std::u16string& key = u"TEST") {
    auto r = std::make_unique<VideoRenderer>(gSettings.frames, gSettings.fit);
    r->screenKey = key;
    EXPECT_TRUE(r->Init(Window(), kW, kH, path)) << Utf16ToUtf8(path);
    return r;
  }

  // Ticks `r` (or, without one, runs frame passes as the frame loop does) at
  // about 30 frames a second until `done` holds.
  template <typename Done>
  static bool TickUntil(Renderer* r, Done done, DWORD ms = 15000) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
      if (GetTickCount64() > end) return false;
      r ? r->Tick(0.033) : RunFrame();
      Pump(30);
    }
    return true;
  }
};

TEST_F(VideoTest, H264FitsWithBlackBarsOrFillsCroppedAndFollowsPanAndZoom) {
  {
    // Fit: the whole video in a band 80 pixels high, opaque black around it.
    gSettings.fit = true;
    auto r = Start(TestVideos().h264);
    EXPECT_TRUE(r->NeedsFrames());
    ASSERT_TRUE(TickUntil(r.get(), [&] { return r->ready && r->sized(); })) << ReadLog();
    TickUntil(r.get(), [] { return false; }, 300);  // a frame drawn with the final rectangles
    const Shot s = Capture();
    const int top[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    for (int band = 0; band < 4; ++band) {
      const int x = 40 + band * 80;
      EXPECT_COLOUR(s, x, 68, top[band][0], top[band][1], top[band][2]);
      EXPECT_COLOUR(s, x, 112, top[3 - band][0], top[3 - band][1], top[3 - band][2]);
      EXPECT_COLOUR(s, x, 20, 0, 0, 0);
      EXPECT_COLOUR(s, x, 160, 0, 0, 0);
    }
  }
  // Fill: a 4:1 video on 16:9 keeps its middle; a frame zooms into it.
  gSettings.fit = false;
  auto r = Start(TestVideos().h264);
  ASSERT_TRUE(TickUntil(r.get(), [&] { return r->ready && r->sized(); })) << ReadLog();
  EXPECT_NEAR(r->source().left, (1.0f - 0.4444444f) / 2.0f, 1e-4f);
  gSettings.frames[u"TEST"] = {0.1f, 0.5f, 4.0f};
  r->Refresh();
  EXPECT_LT(r->source().right, 0.25f) << "zoomed into the red band";
  // A pan while paused shows at once: the held frame is drawn again.
  r->SetPaused(true);
  Pump(200);
  gSettings.frames[u"TEST"] = {0.9f, 0.5f, 4.0f};
  r->Refresh();
  const Shot s = Capture();
  EXPECT_COLOUR(s, 160, 20, 255, 255, 255) << "panned to the white band while paused";
}

// (Wine's engine lists no streams, so the audio stream's deselection cannot be
// seen here.)
TEST_F(VideoTest, AudioTrackIsMutedAndDoesNotStall) {
  auto r = Start(TestVideos().withAudio);
  ASSERT_TRUE(TickUntil(r.get(), [&] { return r->ready && r->sized(); })) << ReadLog();
  EXPECT_TRUE(r->engine()->GetMuted());
  // Still playing a second later: the clock moves.
  const double before = r->engine()->GetCurrentTime();
  TickUntil(r.get(), [] { return false; }, 1000);
  EXPECT_GT(r->engine()->GetCurrentTime(), before + 0.3);
  EXPECT_FALSE(r->failed());
}

TEST_F(VideoTest, AFileWithNoPictureFailsOnceAndStopsAskingForFrames) {
  auto r = Start(TestVideos().audioOnly);
  ASSERT_TRUE(TickUntil(r.get(), [&] { return r->failed(); })) << ReadLog();
  TickUntil(r.get(), [] { return false; }, 300);
  EXPECT_FALSE(r->NeedsFrames());
  EXPECT_EQ(Count(ReadLog(), kFailLine), 1u);
}

TEST_F(VideoTest, PausedBeforeTheFirstFrameShowsItThenHolds) {
  auto r = Start(TestVideos().h264);
  r->SetPaused(true);
  ASSERT_TRUE(TickUntil(r.get(), [&] { return r->ready && r->engine()->IsPaused(); })) << ReadLog();
  // Wine's engine reports its first frame due before the picture is in it, so
  // what the first transfer showed is black there; the frame held is seen by
  // transferring it again.
  Pump(500);
  r->Refresh();
  const Shot s = Capture();
  EXPECT_COLOUR(s, 40, 40, 0, 255, 0);
  EXPECT_COLOUR(s, 280, 140, 0, 255, 0);
  const double held = r->engine()->GetCurrentTime();
  TickUntil(r.get(), [] { return false; }, 600);
  EXPECT_NEAR(r->engine()->GetCurrentTime(), held, 0.05) << "playback stopped";
  r->SetPaused(false);
  TickUntil(r.get(), [] { return false; }, 600);
  EXPECT_GT(r->engine()->GetCurrentTime(), held + 0.2) << "and resumes";
}

TEST_F(VideoTest, UndecodableOrMissingFileFailsOnceAndStopsNeedingFrames) {
  std::string junk = "\x00\x00\x00\x18" "ftypmp42";
  junk.resize(4096, '\x5a');
  WriteWholeFile(File("broken.mp4"), junk);
  for (const char* name : {"broken.mp4", "absent.mp4"}) {
    SCOPED_TRACE(name);
    const size_t before = Count(ReadLog(), kFailLine);
    VideoRenderer r(gSettings.frames, gSettings.fit);
    // Refused at once, or the engine finds out later and reports an error once.
    if (r.Init(Window(), kW, kH, File(name))) {
      ASSERT_TRUE(TickUntil(&r, [&] { return r.failed(); })) << ReadLog();
      for (int i = 0; i < 50; ++i) r.Tick(0.033);
      r.Refresh();
      EXPECT_EQ(Count(ReadLog(), kFailLine), before + 1) << ReadLog();
      EXPECT_FALSE(r.NeedsFrames());
    }
    EXPECT_FALSE(r.ready);
  }
}

class VideoResetTest : public VideoTest {
 protected:
  void SetUp() override {
    VideoTest::SetUp();
    ClearGpuResetStop();
    UseTestMainWindow();
    RegisterSaverClass();
  }
  void TearDown() override {
    EndScreensaver();
    ClearGpuResetStop();
    EndGpuResetWait();
    gDeviceLost = false;
    VideoTest::TearDown();
  }

  // A monitor record over the test area.
  static std::unique_ptr<Screen> Record(std::u16string key) {
    auto screen = std::make_unique<Screen>();
    screen->key = std::move(key);
    screen->bounds = {kArea.left, kArea.top, kArea.right, kArea.bottom};
    return screen;
  }

  // A record of the saver list drawing `path` over the test area.
  void AddSaver(const std::u16string& path, const std::u16string& key) {
    auto screen = Record(key);
    screen->path = path;
    ASSERT_TRUE(CreateSurface(*screen, true)) << ReadLog();
    gSavers.push_back(std::move(screen));
  }

  static bool AllReady(const ScreenList& list) {
    for (const auto& s : list)
      if (!s->renderer || !s->renderer->ready) return false;
    return !list.empty();
  }
};

TEST_F(VideoResetTest, ResetEndsTheSaverAndEveryEngineBeforeTheDeviceGoesThenRecovers) {
  // A video wallpaper, and over it the saver windows: a picture and a video.
  auto wallpaper = std::make_unique<Screen>();
  wallpaper->renderer = Start(TestVideos().h264);
  gScreens.push_back(std::move(wallpaper));
  const std::u16string still = File("still.png");
  WritePicture(W(still), 2, 2, [](int, int) { return 0xFF0000u; });
  AddSaver(still, u"A");
  AddSaver(TestVideos().h264, u"B");
  SetTimer(gApp.mainWindow, TIMER_SAVER, 200, nullptr);
  ASSERT_TRUE(TickUntil(nullptr, [] { return AllReady(gScreens) && AllReady(gSavers); })) << ReadLog();
  EXPECT_TRUE(ScreensaverRunning());

  ComPtr<ID3D11Device> old = gGraphics.device;
  const auto engineOf = [](const Screen& s) { return static_cast<VideoRenderer*>(s.renderer.get())->engine(); };
  ComPtr<IMFMediaEngine> engines[] = {engineOf(*gScreens[0]), engineOf(*gSavers[1])};
  gFailNextPresent = true;
  ASSERT_TRUE(TickUntil(nullptr, [] { return !ScreensaverRunning() && !gGraphics.device; }, 5000))
      << "the loss was noticed and the saver ended with it";
  for (auto& engine : engines) {
    EXPECT_EQ(engine->Play(), MF_E_SHUTDOWN) << "shut down, not left running on the old device";
    engine.Reset();
  }
  EXPECT_FALSE(gGraphics.device);
  EXPECT_TRUE(KillTimer(gApp.mainWindow, TIMER_REBUILD));
  EXPECT_FALSE(KillTimer(gApp.mainWindow, TIMER_SAVER)) << "the saver's input watch stopped";
  for (int i = 0; i < 5; ++i) RunFrame();  // nothing left to draw on the released device

  // No saver may start while the reset waits for its rebuild.
  gSettings.assignments[u"A"] = TestVideos().h264;
  gScreens.clear();
  gScreens.push_back(Record(u"A"));
  StartScreensaver(true);
  EXPECT_FALSE(ScreensaverRunning());

  // The rebuild: a new device, the manager reset onto it, and a new engine playing on it.
  ASSERT_TRUE(EnsureDevice());
  ASSERT_NE(gGraphics.device.Get(), old.Get());
  old.Reset();
  StartScreensaver(true);
  EXPECT_TRUE(ScreensaverRunning()) << "after the rebuild the saver starts again";
  EXPECT_TRUE(TickUntil(nullptr, [] { return AllReady(gSavers); })) << ReadLog();
}

TEST_F(VideoResetTest, LockAndDisplayOffEndTheScreensaver) {
  const std::u16string still = File("still.png");
  WritePicture(W(still), 2, 2, [](int, int) { return 0xFF0000u; });
  gSettings.assignments = {{u"A", still}};
  gScreens.push_back(Record(u"A"));
  // GUID_CONSOLE_DISPLAY_STATE with the value 0: the display went off.
  struct {
    POWERBROADCAST_SETTING head;
    BYTE rest[3];
  } displayOff{{{0x6FE69556, 0x704A, 0x47A0, {0x8F, 0x24, 0xC2, 0x8D, 0x93, 0x6F, 0xDA, 0x47}}, 4, {0}}, {}};
  const std::pair<UINT, std::pair<WPARAM, LPARAM>> events[] = {
      {WM_WTSSESSION_CHANGE, {WTS_SESSION_LOCK, 0}},
      {WM_POWERBROADCAST, {PBT_POWERSETTINGCHANGE, reinterpret_cast<LPARAM>(&displayOff)}},
  };
  for (const auto& [message, args] : events) {
    gShell.userFacts = {};
    StartScreensaver(true);  // a preview would run 6 s: only the event can end it now
    ASSERT_TRUE(ScreensaverRunning()) << ReadLog();
    MainWindowProc(gApp.mainWindow, message, args.first, args.second);
    EXPECT_FALSE(ScreensaverRunning()) << message;
  }
  gShell.userFacts = {};
}

TEST_F(VideoResetTest, SaverStartThatShowsNothingIsNotRetriedUntilSomethingChanges) {
  // A picture that is there but does not decode: each try logs its failure.
  const std::u16string missing = File("broken.png");
  WriteWholeFile(missing, "not a picture");
  gSettings.assignments = {{u"A", missing}};
  gScreens.push_back(Record(u"A"));
  const auto tries = [](const std::u16string& path) { return Count(ReadLog(), "could not load " + Utf16ToUtf8(path)); };
  const size_t before = tries(missing);
  for (int i = 0; i < 4; ++i) StartScreensaver(false);  // housekeeping, once a second while idle
  EXPECT_FALSE(ScreensaverRunning());
  EXPECT_EQ(tries(missing), before + 1) << "one try for the whole idle stretch";

  // A preview is the user asking: it is always tried.
  StartScreensaver(true);
  EXPECT_EQ(tries(missing), before + 2);
}

// The real program starts each engine with the first wallpaper that needs it:
// a picture never starts Media Foundation, a video never loads the compiler,
// nor does a picture of the screen's size (copied, not drawn).
TEST(EngineStart, EachEngineWaitsForTheFirstWallpaperThatNeedsIt) {
  const std::u16string picture = ScratchDir().windowsDir + u"\\engines.png";
  WritePicture(W(picture), 64, 36, [](int, int) { return 0x3080C0u; });
  const std::u16string screenSized = ScratchDir().windowsDir + u"\\screen-sized.png";
  WritePicture(W(screenSized), GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
               [](int, int) { return 0x3080C0u; });
  const struct {
    std::u16string path;
    bool mediaFoundation, compiler;
  } cases[] = {{picture, false, true}, {screenSized, false, false}, {TestVideos().h264, true, false}};
  WaitForNoShell();
  auto shell = StartShell();
  SetEnvironmentVariableW(L"LH_TRACE", L"1");
  for (const auto& c : cases) {
    RemoveTree(DataDir());
    CreateDirectoryW(DataDir().c_str(), nullptr);
    WriteFileBytes(SettingsPath(), "mode=span\r\nspan=" + Utf16ToUtf8(c.path) + "\r\n");
    App app(L"--tray");
    ASSERT_TRUE(WaitUntil([] { return ProgramLog().find("trace: first present") != std::string::npos; }, 20000))
        << ProgramLog();
    EXPECT_EQ(ProgramLog().find("trace: step media-foundation") != std::string::npos, c.mediaFoundation)
        << Utf16ToUtf8(c.path);
    EXPECT_EQ(LoadsModule(app.Pid(), L"d3dcompiler_47.dll"), c.compiler) << Utf16ToUtf8(c.path);
    EXPECT_EQ(ExitThroughTray(app), 0u);
  }
  SetEnvironmentVariableW(L"LH_TRACE", nullptr);
  RemoveTree(DataDir());
}

}  // namespace
