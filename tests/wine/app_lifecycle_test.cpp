// The program's life as a user meets it: first start, second start, exit, and
// a data folder it cannot write.
#include <gtest/gtest.h>

#include "harness_win.h"

using namespace harness;

namespace {

constexpr wchar_t kMain[] = L"LumenhollowMain";
constexpr wchar_t kLibrary[] = L"LumenhollowLibrary";
constexpr char kDefaultFile[] =
    "pauseFullscreen=1\r\npauseCovered=1\r\npauseBattery=1\r\nfps=30\r\nshaderScale=50\r\n"
    "gpuEffects=0\r\nfit=0\r\nmode=screens\r\nidle=0\r\nidleMin=10\r\n";

std::wstring SettingsPath() { return DataDir() + L"\\lumenhollow.ini"; }

DWORD ExitThroughTray(App& app, HWND main) {
  PostMessageW(main, WM_COMMAND, 4, 0);
  return app.WaitExit(10000);
}

class AppLifecycle : public testing::Test {
 protected:
  void SetUp() override { RemoveDataDir(); }
  void TearDown() override { RemoveDataDir(); }
};

TEST_F(AppLifecycle, FirstStartWritesDefaultsBeforeAnyWindowAndOpensTheLibraryEvenWithTray) {
  App app(L"--tray");
  ASSERT_TRUE(app.Started());
  HWND main = nullptr;
  const ULONGLONG end = GetTickCount64() + 15000;
  while (!main && GetTickCount64() < end) {
    main = FindProcessWindow(kMain, app.Pid());
    if (main) {
      ASSERT_TRUE(FileExists(SettingsPath())) << "a window existed before the settings file";
    }
  }
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDefaultFile);
  EXPECT_NE(WaitForWindow(kLibrary, app.Pid(), 5000), nullptr);
  EXPECT_EQ(ExitThroughTray(app, main), 0u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), kDefaultFile);
}

TEST_F(AppLifecycle, TrayStartWithSettingsOpensNoLibraryAndClosingEndsWithZero) {
  CreateDirectoryW(DataDir().c_str(), nullptr);
  const std::string mine = "fps=60\r\nlib=C:\\clips\\sea.mp4\r\nscreen:elsewhere=C:\\clips\\sea.mp4\r\n";
  WriteFileBytes(SettingsPath(), mine);
  App app(L"--tray");
  HWND main = WaitForWindow(kMain, app.Pid(), 15000);
  ASSERT_NE(main, nullptr);
  Sleep(500);
  EXPECT_EQ(FindProcessWindow(kLibrary, app.Pid()), nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(app.WaitExit(10000), 0u);
  EXPECT_EQ(ReadFileBytes(SettingsPath()), mine) << "a normal run must not rewrite the user's file";
}

TEST_F(AppLifecycle, SecondStartHandsOverToTheFirstAndExitsAtOnce) {
  App first(L"--tray");
  HWND main = WaitForWindow(kMain, first.Pid(), 15000);
  ASSERT_NE(main, nullptr);
  // The first start opened the library (first run); close it so the hand-over shows.
  HWND library = WaitForWindow(kLibrary, first.Pid(), 5000);
  ASSERT_NE(library, nullptr);
  SendMessageW(library, WM_CLOSE, 0, 0);
  ASSERT_EQ(FindProcessWindow(kLibrary, first.Pid()), nullptr);

  App second(L"--tray");
  EXPECT_EQ(second.WaitExit(1000), 0u);
  EXPECT_TRUE(first.Running());
  EXPECT_NE(WaitForWindow(kLibrary, first.Pid(), 5000), nullptr);
  EXPECT_EQ(ExitThroughTray(first, main), 0u);
}

TEST_F(AppLifecycle, BakeCountsOnlyAtTheStartOfTheCommandLine) {
  App normal(L"--tray --bake x");
  HWND main = WaitForWindow(kMain, normal.Pid(), 15000);
  ASSERT_NE(main, nullptr) << "an option later on the line must start the normal program";
  EXPECT_EQ(ExitThroughTray(normal, main), 0u);

  App child(L"--bake x");
  const DWORD code = child.WaitExit(15000);
  EXPECT_NE(code, STILL_ACTIVE);
  EXPECT_NE(code, 0u) << "a bake child with nothing to bake must not report success";
  EXPECT_EQ(FindProcessWindow(kMain, child.Pid()), nullptr);
}

TEST_F(AppLifecycle, UnwritableDataFolderLeavesTheProgramRunningWithoutALog) {
  // As root, permission bits do not stop writes; a file where the folder should
  // be does: nothing can be created inside it.
  WriteFileBytes(DataDir(), "not a folder");
  App app(L"--tray");
  HWND main = WaitForWindow(kMain, app.Pid(), 15000);
  ASSERT_NE(main, nullptr);
  Sleep(1500);
  EXPECT_TRUE(app.Running());
  EXPECT_EQ(ExitThroughTray(app, main), 0u);
  EXPECT_EQ(ReadFileBytes(DataDir()), "not a folder");
}

}  // namespace
