// Web wallpapers in this process against the test runtime: the shared
// environment, the late controllers and the paused state.
#include <objbase.h>

#include "app/app_state_win.h"
#include "app/screensaver_win.h"
#include "base/log_win.h"
#include "base/settings_store_win.h"
#include "base/wide_win.h"
#include "desktop/screens_win.h"
#include "harness_win.h"
#include "render/graphics_win.h"
#include "render/renderer_factory_win.h"
#include "webview/com_callbacks_win.h"
#include "webview/web_environment_win.h"

#include <thread>

using namespace harness;

namespace {

constexpr wchar_t kTestClass[] = L"LumenhollowWebTest";

bool Shown(HWND view) { return (GetWindowLongW(view, GWL_STYLE) & WS_VISIBLE) != 0; }

class WebWallpaper : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kTestClass;
    RegisterClassW(&wc);
  }

  void SetUp() override {
    savedDataDir_ = gApp.dataDir;
    gApp.dataDir = ScratchDir().windowsDir;
    SetLogFolder(gApp.dataDir);
    UseRuntimeThroughVariable(true);
    // Each test starts before any environment exists.
    gWebWallpaperEnvironment.environment.Reset();
    gWebWallpaperEnvironment.waiting.clear();
    gWebWallpaperEnvironment.creating = false;
    folder_ = gApp.dataDir + u"\\site";
    CreateDirectoryW(W(folder_), nullptr);
  }

  void TearDown() override {
    for (auto& screen : gScreens) DestroySurface(*screen);
    gScreens.clear();
    gWebWallpaperEnvironment.environment.Reset();
    UseRuntimeThroughVariable(false);
    SetVariable(L"LH_FAKEWEBVIEW_RECORD", L"");
    gApp.dataDir = savedDataDir_;
    SetLogFolder(gApp.dataDir);
  }

  // A record with its own window and a web renderer for `path`.
  Screen& AddScreen(const std::u16string& path, bool paused = false) {
    auto screen = std::make_unique<Screen>();
    screen->path = path;
    screen->paused = paused;
    // Never shown: Wine maps a shown window slowly, and only the view's own
    // visibility matters here.
    screen->window = CreateWindowExW(0, kTestClass, L"", WS_POPUP, 0, 0, 320, 180, nullptr, nullptr,
                                     GetModuleHandleW(nullptr), nullptr);
    gScreens.push_back(std::move(screen));
    Screen& s = *gScreens.back();
    EXPECT_TRUE(StartRenderer(s, MediaKind::Web, static_cast<HWND>(s.window), 320, 180, u""));
    if (paused) s.renderer->SetPaused(true);
    return s;
  }

  static bool Ready(const Screen& s) { return s.renderer && s.renderer->ready; }

  std::u16string savedDataDir_;
  std::u16string folder_;
};

TEST_F(WebWallpaper, TwoAskingWhileTheEnvironmentIsBeingCreatedBothGetViewsInOrder) {
  SetVariable(L"LH_FAKEWEBVIEW_ENV_DELAY_MS", L"300");
  const std::u16string page = gApp.dataDir + u"\\page.html";
  WriteFileBytes(W(page), "<html></html>");
  Screen& first = AddScreen(folder_);
  Screen& second = AddScreen(page);
  EXPECT_TRUE(gWebWallpaperEnvironment.creating);
  ASSERT_TRUE(WaitUntil([&] { return Ready(first) && Ready(second); }, 5000));
  EXPECT_EQ(RecordLinesStarting("environment ").size(), 1u) << "one environment for both";
  EXPECT_NE(RecordLinesStarting("environment ")[0].find("userdata=" + Utf8(W(gApp.dataDir)) + "\\web args="
                                                        "--autoplay-policy=no-user-gesture-required --mute-audio "
                                                        "--disable-background-networking --disable-features="
                                                        "msSmartScreenProtection,msEdgeEnhanceImagesEnabled "),
            std::string::npos);
  const auto requests = RecordLinesStarting("controller-request ");
  ASSERT_EQ(requests.size(), 2u);
  char parent[32];
  snprintf(parent, sizeof parent, "parent=%llx ", static_cast<unsigned long long>(
                                                       reinterpret_cast<uintptr_t>(first.window)));
  EXPECT_NE(requests[0].find(parent), std::string::npos) << "the first to ask is served first";
  // A folder shows its index.html; a file shows itself.
  const auto navigations = RecordLinesStarting("navigate ");
  ASSERT_EQ(navigations.size(), 2u);
  EXPECT_EQ(navigations[0].substr(navigations[0].find(' ', 9) + 1), FileUrl(W(folder_ + u"\\index.html")));
  EXPECT_EQ(navigations[1].substr(navigations[1].find(' ', 9) + 1), FileUrl(W(page)));
  for (const auto& line : navigations)
    EXPECT_EQ(WaitForRecord("muted " + RecordId(line)), "muted " + RecordId(line) + " 1");
  // Once the environment exists a new wallpaper asks for its view at once.
  Screen& third = AddScreen(gApp.dataDir + u"\\missing");
  EXPECT_EQ(RecordLinesStarting("controller-request ").size(), 3u);
  ASSERT_TRUE(WaitUntil([&] { return Ready(third); }, 5000));
  EXPECT_NE(RecordLinesStarting("navigate ").back().find("/missing/index.html"), std::string::npos)
      << "a missing path counts as a folder";
}

TEST_F(WebWallpaper, ASurfaceRebuiltBeforeItsViewArrivesClosesTheLateView) {
  SetVariable(L"LH_FAKEWEBVIEW_CONTROLLER_DELAY_MS", L"400");
  Screen& screen = AddScreen(folder_);
  const std::string request = WaitForRecord("controller-request ");
  ASSERT_FALSE(request.empty());
  const std::string late = RecordId(request);
  // Rebuilt: the old surface goes, a new one comes with a view of its own.
  DestroySurface(screen);
  gScreens.clear();
  Screen& rebuilt = AddScreen(folder_);
  ASSERT_TRUE(WaitUntil([&] { return Ready(rebuilt); }, 5000));
  EXPECT_EQ(WaitForRecord("close " + late), "close " + late);
  EXPECT_TRUE(RecordLinesStarting("navigate " + late + " ").empty()) << "the late view never shows a page";
  HWND view = FindWindowExW(static_cast<HWND>(rebuilt.window), nullptr, L"FakeWebViewChild", nullptr);
  EXPECT_TRUE(view && Shown(view));
}

TEST_F(WebWallpaper, APausedScreenComesUpHiddenAndSuspendedAndShowsOnResume) {
  SetVariable(L"LH_FAKEWEBVIEW_CONTROLLER_DELAY_MS", L"100");
  Screen& screen = AddScreen(folder_, true);
  ASSERT_TRUE(WaitUntil([&] { return Ready(screen); }, 5000));
  EXPECT_FALSE(screen.renderer->NeedsFrames()) << "a page draws itself: it keeps no frame timer running";
  const std::string id = RecordId(WaitForRecord("navigate "));
  HWND view = FindWindowExW(static_cast<HWND>(screen.window), nullptr, L"FakeWebViewChild", nullptr);
  ASSERT_NE(view, nullptr);
  EXPECT_FALSE(Shown(view));
  EXPECT_EQ(WaitForRecord("visible " + id), "visible " + id + " 0");
  EXPECT_EQ(WaitForRecord("suspend " + id), "suspend " + id);
  screen.renderer->SetPaused(false);
  EXPECT_TRUE(Shown(view));
  EXPECT_EQ(RecordLinesStarting("visible " + id).back(), "visible " + id + " 1");
  EXPECT_EQ(WaitForRecord("resumed " + id), "resumed " + id);
  screen.renderer->SetPaused(true);
  EXPECT_FALSE(Shown(view));
  EXPECT_EQ(RecordLinesStarting("suspend " + id).size(), 2u);
}

TEST_F(WebWallpaper, TheScreensaverShowsTheWebWallpaperTheDesktopShows) {
  WriteFileBytes(W(folder_ + u"\\index.html"), "<html></html>");
  Screen& desktop = AddScreen(folder_);
  ASSERT_TRUE(WaitUntil([&] { return Ready(desktop); }, 5000)) << "the environment exists now";
  desktop.bounds = {0, 0, 320, 180};
  const Settings saved = gSettings;
  gSettings.assignments = {{desktop.key, folder_}};
  RegisterSaverClass();
  ASSERT_TRUE(EnsureDevice());
  StartScreensaver(true);
  ASSERT_TRUE(ScreensaverRunning()) << ReadLog();
  EXPECT_TRUE(WaitUntil([] { return Ready(*gSavers[0]); }, 5000)) << "the saver's view arrived and was kept";
  EXPECT_EQ(RecordLinesStarting("controller-request ").size(), 2u);
  EXPECT_EQ(RecordLinesStarting("navigate ").size(), 2u);
  EndScreensaver();
  gSettings = saved;
}

TEST_F(WebWallpaper, NoRuntimeLeavesTheSurfaceBlackAndTheNextWallpaperTriesAgain) {
  UseRuntimeThroughVariable(false);
  Screen& screen = AddScreen(folder_);
  EXPECT_FALSE(gWebWallpaperEnvironment.creating);
  EXPECT_FALSE(Ready(screen));
  UseRuntimeThroughVariable(true);
  Screen& next = AddScreen(folder_);
  EXPECT_TRUE(WaitUntil([&] { return Ready(next); }, 5000));
  EXPECT_NE(ReadLog().find("WebView2 runtime not found"), std::string::npos);
  EXPECT_FALSE(Ready(screen)) << "the callback of the failed attempt was dropped";
}

// Our handlers and options go with their last reference, and what they hold with them.
TEST(WebViewObjects, OurHandlersAndOptionsAreFreedWithTheirLastReference) {
  auto held = std::make_shared<int>(0);
  const std::weak_ptr<int> watch = held;
  auto handler = WebMessageCallback::Make([held](ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*) {
    return S_OK;
  });
  held.reset();
  handler.Reset();
  EXPECT_TRUE(watch.expired());
  auto options = EnvironmentOptions::Make(u"");
  options->AddRef();
  EXPECT_EQ(options->Release(), 1u);
}

// What a page asks of its host is refused without a word: no pop-up, no download, no prompt.
TEST_F(WebWallpaper, APageGetsNoPopUpNoDownloadAndNoPermission) {
  Screen& screen = AddScreen(folder_);
  ASSERT_TRUE(WaitUntil([&] { return Ready(screen); }, 5000));
  const std::string id = RecordId(WaitForRecord("navigate "));
  const struct {
    const char* request;
    const char* answer;
  } cases[] = {{"newwindow https://example.com/", "newwindow refused"},
               {"download C:\\users\\x.zip", "download cancelled"},
               {"permission 3", "permission denied"}};
  for (const auto& c : cases) PageSays(c.request);
  for (const auto& c : cases) {
    const std::string kind = std::string(c.answer).substr(0, std::string(c.answer).find(' '));
    EXPECT_EQ(WaitForRecord(kind + " " + id), kind + " " + id + std::string(c.answer).substr(kind.size()));
  }
}

// The test runtime is as strict as the real one: it refuses a call from another thread and
// any call after Close, and records those and a controller released without Close.
TEST_F(WebWallpaper, TheTestRuntimeRefusesAndRecordsWhatTheRealOneWouldNotTake) {
  Screen& screen = AddScreen(folder_);
  ASSERT_TRUE(WaitUntil([&] { return Ready(screen); }, 5000));
  Microsoft::WRL::ComPtr<ICoreWebView2Controller> controllers[2];
  for (auto& controller : controllers)
    gWebWallpaperEnvironment.environment->CreateCoreWebView2Controller(
        static_cast<HWND>(screen.window),
        ControllerCompletedCallback::Make([&controller](HRESULT, ICoreWebView2Controller* c) {
          controller = c;
          return S_OK;
        }).Get());
  ASSERT_TRUE(WaitUntil([&] { return controllers[0] && controllers[1]; }, 5000));
  const std::string first = RecordId(RecordLinesStarting("controller ").at(1));
  const std::string second = RecordId(RecordLinesStarting("controller ").at(2));
  HRESULT elsewhere = S_OK;
  std::thread([&] { elsewhere = controllers[0]->put_IsVisible(FALSE); }).join();
  EXPECT_EQ(elsewhere, RPC_E_WRONG_THREAD);
  Microsoft::WRL::ComPtr<ICoreWebView2> view;
  ASSERT_HRESULT_SUCCEEDED(controllers[0]->get_CoreWebView2(&view));
  controllers[0]->Close();
  EXPECT_EQ(view->Navigate(L"about:blank"), HRESULT_FROM_WIN32(ERROR_INVALID_STATE));
  EXPECT_EQ(controllers[0]->put_IsVisible(TRUE), HRESULT_FROM_WIN32(ERROR_INVALID_STATE));
  controllers[1].Reset();
  const std::vector<std::string> expected = {
      "breach wrong-thread controller " + first + " put_IsVisible", "breach after-close webview " + first + " Navigate",
      "breach after-close controller " + first + " put_IsVisible", "breach released-without-close controller " + second};
  EXPECT_EQ(TakeRecordedBreaches(), expected);
}

}  // namespace
