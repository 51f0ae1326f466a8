// The real program's library window with the test web-view runtime: how it
// finds the runtime, what it asks of it, and the page protocol end to end.
#include "base/text.h"
#include "base/wide_win.h"
#include "harness_win.h"
#include "library/state_message.h"

using namespace harness;

namespace {

constexpr char kSep = '\x1f';
constexpr char kLibraryArguments[] =
    "--allow-file-access-from-files --autoplay-policy=no-user-gesture-required --mute-audio "
    "--disable-background-networking";

std::string Settings() { return ReadFileBytes(SettingsPath()); }

bool HasChildOfClass(HWND parent, const wchar_t* className) {
  return FindWindowExW(parent, nullptr, className, nullptr);
}

class LibraryPage : public testing::Test {
 protected:
  void SetUp() override {
    WaitForNoShell();
    RemoveTree(DataDir());
    CreateDirectoryW(DataDir().c_str(), nullptr);
    WritePicture(picture_, 32, 18, [](int x, int) { return x < 16 ? 0xFF0000u : 0x0000FFu; });
    UseRuntimeThroughVariable(true);
  }
  void TearDown() override {
    app_.reset();
    shell_.reset();
    UseRuntimeThroughVariable(false);
    SetVariable(L"LH_FAKEWEBVIEW_RECORD", L"");
    SetVariable(L"LH_FAKEWEBVIEW_SCRIPT", L"");
    WaitForNoShell();
    RemoveTree(DataDir());
    DeleteFileW(picture_.c_str());
  }

  // The desktop, a settings file of our own, and the program.
  void Start(const std::string& settings, const std::wstring& arguments = L"") {
    shell_ = StartShell(L"--layout=child");
    WriteFileBytes(SettingsPath(), settings);
    app_ = std::make_unique<App>(arguments);
  }
  // With the picture in the user list, and the library open on the page: the view's id.
  std::string StartOnPage(const std::wstring& arguments = L"") {
    Start("fps=30\r\nidle=0\r\nidleMin=10\r\nlib=" + Utf8(picture_) + "\r\n", arguments);
    const std::string navigate = WaitForRecord("navigate ", 0, 15000);
    EXPECT_FALSE(navigate.empty()) << ProgramLog();
    return navigate.empty() ? "" : RecordId(navigate);
  }

  // The message's JSON, "" on timeout.
  static std::string WaitForPost(const std::string& id, const std::string& type) {
    const std::string line = WaitForRecord("post " + id + " {\"t\":\"" + type + "\"");
    return line.empty() ? "" : line.substr(("post " + id + " ").size());
  }

  const std::wstring picture_ = TempPath(L"lh-web-pic.png");
  std::unique_ptr<App> shell_;
  std::unique_ptr<App> app_;
};

TEST_F(LibraryPage, OpensInTheUiProfileWithTheLibraryArgumentsOnTheLibraryPage) {
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  const std::string environment = WaitForRecord("environment ");
  EXPECT_EQ(environment, "environment reserved=1 type=1 userdata=" + Utf8(DataDir()) + "\\ui args=" +
                             kLibraryArguments + " language= target=138.0.3351.48");
  EXPECT_NE(GetFileAttributesW((DataDir() + L"\\ui").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(WaitForRecord("controller-request " + id + " ").find("class=LumenhollowLibrary"), std::string::npos);
  // Wine grants dark mode and the system backdrop, so the page may be translucent.
  EXPECT_EQ(WaitForRecord("navigate "),
            "navigate " + id + " " + FileUrl(BuildDir() + L"\\ui\\library.html") + "#backdrop");
  // The page's look and manners, in the order they are set.
  std::vector<std::string> settings;
  for (const auto& line : RecordLinesStarting("setting " + id + " ")) settings.push_back(line.substr(9 + id.size()));
  EXPECT_EQ(settings, (std::vector<std::string>{"AreDefaultContextMenusEnabled 0", "AreDevToolsEnabled 0",
                                                "IsStatusBarEnabled 0", "IsZoomControlEnabled 0",
                                                "AreBrowserAcceleratorKeysEnabled 0"}));
  EXPECT_EQ(WaitForRecord("background " + id), "background " + id + " 0 0 0 0");
  EXPECT_EQ(WaitForRecord("muted " + id), "muted " + id + " 1");
  // The view covers the window's client area, and follows it when it is resized.
  HWND library = WaitForWindow(kLibraryClass, app_->Pid(), 5000);
  EXPECT_TRUE(HasChildOfClass(library, L"FakeWebViewChild"));
  const auto bounds = [&] {
    RECT client{};
    GetClientRect(library, &client);
    return "bounds " + id + " 0 0 " + std::to_string(client.right) + " " + std::to_string(client.bottom);
  };
  EXPECT_EQ(RecordLinesStarting("bounds " + id).front(), bounds());
  SetWindowPos(library, nullptr, 0, 0, 1000, 700, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_TRUE(WaitUntil([&] { return RecordLinesStarting("bounds " + id).back() == bounds(); }, 5000));
}

TEST_F(LibraryPage, TourModeFollowsEveryStateWithTheTourMessageAndLogsTheWindow) {
  const std::string id = StartOnPage(L"--tour");
  ASSERT_FALSE(id.empty());
  PageSays("string ready");
  ASSERT_FALSE(WaitForPost(id, "tour").empty());
  const auto posts = RecordLinesStarting("post " + id + " ");
  ASSERT_GE(posts.size(), 2u);
  EXPECT_NE(posts[posts.size() - 2].find("{\"t\":\"state\""), std::string::npos);
  HWND library = WaitForWindow(kLibraryClass, app_->Pid(), 5000);
  EXPECT_TRUE(GetWindowLongW(library, GWL_EXSTYLE) & WS_EX_TOPMOST);
  RECT r{};
  GetWindowRect(library, &r);
  EXPECT_NE(ProgramLog().find("tour window " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
                       std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top)),
            std::string::npos)
      << ProgramLog();
}

// What the page tests in the browser do not reach: the deferred save of a
// frame, and surfaces going and coming with a clear and a span.
TEST_F(LibraryPage, PageCommandsChangeTheSettingsFileAndTheSurfaces) {
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  const std::string p = Utf8(picture_);
  auto surfaceExists = [] {
    HWND progman = FindWindowW(L"Progman", nullptr);
    HWND worker = FindWindowExW(progman, nullptr, L"WorkerW", nullptr);
    return worker && FindWindowExW(worker, nullptr, L"LumenhollowSurface", nullptr) != nullptr;
  };

  PageSays(std::string("string apply") + kSep + "0" + kSep + p);
  EXPECT_TRUE(WaitUntil([&] { return Settings().find("screen:") != std::string::npos; }, 5000)) << Settings();
  EXPECT_EQ(Count(Settings(), "=" + p + "\r\n"), 2u) << "in the list and on the screen:\n" << Settings();
  EXPECT_TRUE(WaitUntil(surfaceExists, 5000)) << ProgramLog();

  PageSays(std::string("string frame") + kSep + "0" + kSep + "0.25" + kSep + "0.75" + kSep + "2");
  EXPECT_TRUE(WaitUntil([&] { return Settings().find("frame:") != std::string::npos; }, 5000)) << Settings();
  EXPECT_NE(Settings().find("=0.2500,0.7500,2.000"), std::string::npos) << Settings();

  PageSays(std::string("string clear") + kSep + "0");
  EXPECT_TRUE(WaitUntil([&] { return Settings().find("screen:") == std::string::npos; }, 5000)) << Settings();
  EXPECT_TRUE(WaitUntil([&] { return !surfaceExists(); }, 5000));

  PageSays(std::string("string span") + kSep + p);
  EXPECT_TRUE(WaitUntil([&] { return Settings().find("mode=span\r\n") != std::string::npos; }, 5000)) << Settings();
  EXPECT_TRUE(WaitUntil(surfaceExists, 5000)) << ProgramLog();

}

// The file picker the page asks for, driven as a user would: into the folder,
// then three files at once.
TEST_F(LibraryPage, ThreeFilesPickedInAFolderJoinTheLibrary) {
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  const std::wstring folder = TempPath(L"lh-picked");
  CreateDirectoryW(folder.c_str(), nullptr);
  const wchar_t* names[] = {L"c.png", L"a.png", L"b.png"};
  for (const wchar_t* name : names)
    WritePicture(folder + L"\\" + name, 4, 4, [](int, int) { return 0x808080u; });
  PageSays("string add");
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (dialog = FindProcessWindow(L"#32770", app_->Pid())) != nullptr; }, 10000));
  // The dialog names itself once it has filled itself in.
  wchar_t title[128] = {};
  EXPECT_TRUE(WaitUntil([&] { return GetWindowTextW(dialog, title, 128) && wcscmp(title, L"Open") != 0; }, 5000));
  EXPECT_STREQ(title, L"Add your own wallpapers");
  // More picker requests while it is open are dropped. The state that "ready" brings is
  // posted after them, so once it is there they have been handled.
  const size_t states = RecordLinesStarting("post " + id + " {\"t\":\"state\"").size();
  PageSays("string add");
  PageSays("string addfolder");
  PageSays("string ready");
  ASSERT_FALSE(WaitForRecord("post " + id + " {\"t\":\"state\"", states).empty());
  EXPECT_EQ(CountProcessWindows(L"#32770", app_->Pid()), 1);
  auto enter = [&](const std::wstring& text) {
    HWND box = GetDlgItem(dialog, 1148);  // the file name box
    if (!box) box = GetDlgItem(dialog, 1152);
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  };
  enter(folder);
  Sleep(500);
  enter(L"\"c.png\" \"a.png\" \"b.png\"");
  const std::string added = WaitForPost(id, "added");
  ASSERT_FALSE(added.empty()) << ProgramLog();
  // The dialog lists the files in its own order; each is a full path in the folder.
  for (const wchar_t* name : names) {
    const std::wstring path = folder + L"\\" + name;
    EXPECT_NE(added.find(Utf16ToUtf8(JsonQuote(U16(path.c_str())))), std::string::npos) << added;
    EXPECT_NE(Settings().find("lib=" + Utf8(folder + L"\\" + name) + "\r\n"), std::string::npos);
  }
  // The program's current directory stayed where it was, so the folder is not held.
  EXPECT_EQ(CurrentDirectoryOf(app_->Pid()).find(L"lh-picked"), std::wstring::npos);
  for (const wchar_t* name : names) DeleteFileW((folder + L"\\" + name).c_str());
  RemoveDirectoryW(folder.c_str());
}

// Exit with the library open: its view is closed and released before the
// environments and COM go (the record holds no breach, see TearDown).
TEST_F(LibraryPage, ExitWithTheLibraryOpenClosesItsViewFirst) {
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  EXPECT_EQ(ExitThroughTray(*app_), 0u);
  EXPECT_EQ(RecordLinesStarting("close " + id).size(), 1u);
}

TEST_F(LibraryPage, TheViewTakesTheFocusFollowsTheWindowAndSleepsWhileMinimized) {
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  HWND library = FindProcessWindow(kLibraryClass, app_->Pid());
  HWND main = FindProcessWindow(kMainClass, app_->Pid());
  auto lines = [&](const std::string& what) { return RecordLinesStarting(what + " " + id).size(); };
  SetWindowPos(library, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  EXPECT_FALSE(WaitForRecord("moved " + id).empty()) << "the view's pop-ups follow the window";
  const size_t focused = lines("focus"), shown = RecordLinesStarting("visible " + id + " 1").size();
  ShowWindow(library, SW_MINIMIZE);
  EXPECT_FALSE(WaitForRecord("visible " + id + " 0").empty()) << "hidden while minimized";
  // Opened again: restored, shown, and the keyboard goes to the page.
  PostMessageW(main, 0x8002 /* WM_APP_OPEN_LIBRARY */, 0, 0);
  EXPECT_FALSE(WaitForRecord("visible " + id + " 1", shown).empty());
  EXPECT_FALSE(WaitForRecord("focus " + id, focused).empty());
  EXPECT_FALSE(IsIconic(library));
  // A maximized window stays maximized. The move posted after the request is
  // handled after it, so once its record is there the request has been handled.
  ShowWindow(library, SW_MAXIMIZE);
  const size_t moves = lines("moved");
  PostMessageW(main, 0x8002, 0, 0);
  PostMessageW(library, WM_MOVE, 0, 0);
  EXPECT_FALSE(WaitForRecord("moved " + id, moves).empty());
  EXPECT_TRUE(IsZoomed(library));
}

TEST_F(LibraryPage, AMessageThatIsNotAStringIsIgnored) {
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  PageSays("json {\"t\":\"ready\"}");
  PageSays("json \"ready\"");  // a JSON string is a string
  ASSERT_FALSE(WaitForPost(id, "state").empty());
  Sleep(500);
  EXPECT_EQ(RecordLinesStarting("post " + id + " {\"t\":\"state\"").size(), 1u);
  EXPECT_EQ(RecordLinesStarting("deliver " + id + " json").size(), 2u);
  EXPECT_TRUE(RecordLinesStarting("post " + id + " {\"t\":\"tour\"}").empty()) << "no tour without --tour";
}

TEST_F(LibraryPage, AControllerThatArrivesAfterItsWindowClosedIsClosed) {
  SetVariable(L"LH_FAKEWEBVIEW_CONTROLLER_DELAY_MS", L"1500");
  Start("fps=30\r\n");
  const std::string request = WaitForRecord("controller-request ", 0, 15000);
  ASSERT_FALSE(request.empty()) << ProgramLog();
  const std::string id = RecordId(request);
  HWND library = WaitForWindow(kLibraryClass, app_->Pid(), 5000);
  PostMessageW(library, WM_CLOSE, 0, 0);
  EXPECT_EQ(WaitForRecord("controller " + id + " "), "controller " + id + " parent-alive=0");
  EXPECT_EQ(WaitForRecord("close " + id), "close " + id);
  EXPECT_TRUE(RecordLinesStarting("navigate ").empty());
  EXPECT_TRUE(app_->Running());
}

struct NoRuntimeCase {
  const char* what;
  const wchar_t* fail;  // empty: no runtime found at all
  const char* logLine;
};

class LibraryWithoutRuntime : public LibraryPage, public testing::WithParamInterface<NoRuntimeCase> {};

TEST_P(LibraryWithoutRuntime, OpensEmptyLogsAndTriesAgainOnTheNextOpening) {
  const NoRuntimeCase& c = GetParam();
  UseRuntimeThroughVariable(*c.fail != 0);
  SetVariable(L"LH_FAKEWEBVIEW_FAIL", c.fail);
  Start("fps=30\r\n");
  HWND library = WaitForWindow(kLibraryClass, app_->Pid(), 15000);
  ASSERT_NE(library, nullptr);
  auto count = [&] { return Count(ProgramLog(), c.logLine); };
  EXPECT_TRUE(WaitUntil([&] { return count() == 1; }, 5000)) << ProgramLog();
  EXPECT_FALSE(HasChildOfClass(library, L"FakeWebViewChild"));
  EXPECT_TRUE(IsWindow(library));
  // Closed and opened again (a second start asks the first to open it).
  PostMessageW(library, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(library); }, 5000));
  App second(L"");
  EXPECT_EQ(second.WaitExit(10000), 0u);
  EXPECT_NE(WaitForWindow(kLibraryClass, app_->Pid(), 5000), nullptr);
  EXPECT_TRUE(WaitUntil([&] { return count() == 2; }, 5000)) << ProgramLog();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LibraryWithoutRuntime,
    testing::Values(NoRuntimeCase{"NotFound", L"", "WebView2 runtime not found"},
                    NoRuntimeCase{"CreationFails", L"async",
                                  "WebView2 runtime not available; web wallpapers and the library are disabled"}),
    [](const testing::TestParamInfo<NoRuntimeCase>& info) { return std::string(info.param.what); });

// Installed runtimes register per channel; per machine in the 32-bit view.
class LibraryWithInstalledRuntime : public LibraryPage, public testing::WithParamInterface<bool> {
 protected:
  void TearDown() override {
    RegDeleteKeyExW(HKEY_LOCAL_MACHINE, Key().c_str(), KEY_WOW64_32KEY, 0);
    RegDeleteKeyW(HKEY_CURRENT_USER, Key().c_str());
    LibraryPage::TearDown();
  }
  static std::wstring Key() { return std::wstring(L"Software\\Microsoft\\EdgeUpdate\\ClientState\\") + kStableChannel; }
};

TEST_P(LibraryWithInstalledRuntime, WorksLikeTheOneFoundThroughTheVariable) {
  const bool machine = GetParam();
  UseRuntimeThroughVariable(false);
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER, Key().c_str(), 0, nullptr, 0,
                            KEY_WRITE | (machine ? KEY_WOW64_32KEY : 0), nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const std::wstring folder = RuntimeFolder();
  RegSetValueExW(key, L"EBWebView", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                 static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  const std::string id = StartOnPage();
  ASSERT_FALSE(id.empty());
  EXPECT_NE(WaitForRecord("environment ").find(" type=0 "), std::string::npos);
  PageSays("string ready");
  EXPECT_FALSE(WaitForPost(id, "state").empty());
}

INSTANTIATE_TEST_SUITE_P(Roots, LibraryWithInstalledRuntime, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "PerMachine" : "PerUser");
                         });

}  // namespace
