// The program's life as a user meets it: first start, second start, exit, a
// data folder it cannot write, and a crash.
#include "base/crash_log_win.h"
#include "base/log_win.h"
#include "harness_win.h"

using namespace harness;

namespace {

constexpr char kDefaultFile[] =
    "pauseFullscreen=1\r\npauseCovered=1\r\npauseBattery=1\r\nfps=30\r\nshaderScale=50\r\n"
    "gpuEffects=0\r\nfit=0\r\nmode=screens\r\nidle=0\r\nidleMin=10\r\n";

class AppLifecycle : public testing::Test {
 protected:
  void SetUp() override { RemoveTree(DataDir()); }
  void TearDown() override { RemoveTree(DataDir()); }
};

TEST_F(AppLifecycle, FirstStartWritesDefaultsBeforeAnyWindowAndOpensTheLibraryEvenWithTray) {
  App app(L"--tray");
  ASSERT_TRUE(app.Started());
  HWND main = nullptr;
  const ULONGLONG end = GetTickCount64() + 15000;
  while (!main && GetTickCount64() < end) {
    if ((main = FindProcessWindow(kMainClass, app.Pid()))) {
      ASSERT_TRUE(FileExists(SettingsPath())) << "a window existed before the settings file";
    }
  }
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDefaultFile);
  EXPECT_NE(WaitForWindow(kLibraryClass, app.Pid(), 5000), nullptr);
  EXPECT_EQ(ExitThroughTray(app), 0u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDefaultFile);
}

TEST_F(AppLifecycle, TrayStartOpensNoLibraryASecondStartHandsOverAndClosingEndsWithZero) {
  CreateDirectoryW(DataDir().c_str(), nullptr);
  const std::string mine = "fps=60\r\nlib=C:\\clips\\sea.mp4\r\nscreen:elsewhere=C:\\clips\\sea.mp4\r\n";
  WriteFileBytes(SettingsPath(), mine);
  App first(L"--tray");
  HWND main = WaitForWindow(kMainClass, first.Pid(), 15000);
  ASSERT_NE(main, nullptr);
  Sleep(500);
  EXPECT_EQ(FindProcessWindow(kLibraryClass, first.Pid()), nullptr);

  App second(L"--tray");
  EXPECT_EQ(second.WaitExit(1000), 0u);
  EXPECT_TRUE(first.Running());
  EXPECT_NE(WaitForWindow(kLibraryClass, first.Pid(), 5000), nullptr) << "the first opens its library";
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.WaitExit(10000), 0u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), mine) << "a normal run must not rewrite the user's file";
}

TEST_F(AppLifecycle, UnwritableDataFolderLeavesTheProgramRunningWithoutALog) {
  // As root, permission bits do not stop writes; a file where the folder should
  // be does: nothing can be created inside it.
  WriteFileBytes(DataDir(), "not a folder");
  App app(L"--tray");
  ASSERT_NE(WaitForWindow(kMainClass, app.Pid(), 15000), nullptr);
  Sleep(1500);
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(ExitThroughTray(app), 0u);
  EXPECT_EQ(ReadFileBytes(DataDir()), "not a folder");
}

TEST_F(AppLifecycle, NoRoamingFolderIsToldOnceAndNothingIsWritten) {
  // The known-folder lookup gives back what these values say.
  constexpr wchar_t kUser[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  constexpr wchar_t kShell[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
  wchar_t user[MAX_PATH] = {}, shell[MAX_PATH] = {};
  DWORD userSize = sizeof user, shellSize = sizeof shell;
  RegGetValueW(HKEY_CURRENT_USER, kUser, L"AppData", RRF_RT_ANY | RRF_NOEXPAND, nullptr, user, &userSize);
  RegGetValueW(HKEY_CURRENT_USER, kShell, L"AppData", RRF_RT_ANY, nullptr, shell, &shellSize);
  RegSetKeyValueW(HKEY_CURRENT_USER, kUser, L"AppData", REG_EXPAND_SZ, L"Roaming", sizeof L"Roaming");
  RegSetKeyValueW(HKEY_CURRENT_USER, kShell, L"AppData", REG_SZ, L"Roaming", sizeof L"Roaming");
  const std::wstring tempLog = TempPath(L"log.txt");
  DeleteFileW(tempLog.c_str());

  App app(L"--tray");
  const HWND message = WaitForWindow(L"#32770", app.Pid(), 15000);
  EXPECT_NE(message, nullptr) << "the user is told";
  EXPECT_EQ(FindProcessWindow(kMainClass, app.Pid()), nullptr);
  PostMessageW(message, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(app.WaitExit(10000), 1u);
  RegSetKeyValueW(HKEY_CURRENT_USER, kUser, L"AppData", REG_EXPAND_SZ, user, userSize);
  RegSetKeyValueW(HKEY_CURRENT_USER, kShell, L"AppData", REG_SZ, shell, shellSize);
  EXPECT_NE(ReadFileBytes(tempLog).find(" no roaming application-data folder; nothing is saved\r\n"),
            std::string::npos);
  EXPECT_FALSE(FileExists(L"Roaming\\Lumenhollow"));
  EXPECT_FALSE(FileExists(L"C:\\Lumenhollow"));
  DeleteFileW(tempLog.c_str());
}

// Run in a child by the next test: a crash inside LogLine, while this thread holds the log's lock.
TEST(CrashRecord, DISABLED_CrashWhileLogging) {
  SetLogFolder(reinterpret_cast<const char16_t*>(TempPath(L"crash-log").c_str()));
  RecordCrashesInLog();
  struct {
    const char16_t* text;
    size_t size;
    char16_t local[8];
  } unreadable{reinterpret_cast<const char16_t*>(16), 4, {}};
  const void* forged = &unreadable;  // a string whose text cannot be read
  LogLine(*static_cast<const std::u16string*>(forged));
}

TEST(CrashRecord, ACrashWhileTheLogIsLockedIsStillRecorded) {
  const std::wstring folder = TempPath(L"crash-log");
  RemoveTree(folder);
  CreateDirectoryW(folder.c_str(), nullptr);
  App child(L"--gtest_filter=CrashRecord.DISABLED_CrashWhileLogging --gtest_also_run_disabled_tests "
            L"--gtest_catch_exceptions=0",
            L"wine_tests.exe");
  EXPECT_EQ(child.WaitExit(30000), static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION)) << "it must not hang";
  const std::string log = ReadFileBytes(folder + L"\\log.txt");
  EXPECT_NE(log.find(" crashed: exception c0000005 on thread "), std::string::npos) << log;
  EXPECT_NE(log.find("\r\n"), std::string::npos);
  RemoveTree(folder);
}

}  // namespace
