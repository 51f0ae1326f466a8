// The settings file and the log on a real Windows file system.
#include <gtest/gtest.h>

#include "app/app_state_win.h"
#include "base/log_win.h"
#include "app/settings_store_win.h"
#include "base/wide_win.h"
#include "harness_win.h"

namespace {

class SettingsStore : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    dir_ = std::wstring(temp) + L"lh-settings-test";
    CreateDirectoryW(dir_.c_str(), nullptr);
    DeleteFileW(Ini().c_str());
    DeleteFileW(Temp().c_str());
    DeleteFileW((dir_ + L"\\log.txt").c_str());
    gApp.dataDir = U16(dir_.c_str());
    SetLogFolder(gApp.dataDir);
    gSettings = Settings{};
  }
  void TearDown() override {
    DeleteFileW(Ini().c_str());
    DeleteFileW(Temp().c_str());
    DeleteFileW((dir_ + L"\\log.txt").c_str());
    RemoveDirectoryW(dir_.c_str());
  }
  std::wstring Ini() const { return dir_ + L"\\lumenhollow.ini"; }
  std::wstring Temp() const { return dir_ + L"\\lumenhollow.ini.new"; }
  std::wstring dir_;
};

TEST_F(SettingsStore, SaveThenLoadKeepsEverything) {
  gSettings.fps = 90;
  gSettings.userList = {u"C:\\Vid\u00e9os\\a.mp4", u"C:\\b.png"};
  gSettings.frames[u"span"] = Frame{0.25f, 0.75f, 2.0f};
  SaveSettings();
  const Settings saved = gSettings;
  gSettings = Settings{};
  ASSERT_TRUE(LoadSettings(U16(Ini().c_str())));
  EXPECT_EQ(FormatSettings(gSettings), FormatSettings(saved));
  EXPECT_FALSE(harness::FileExists(Temp()));
}

TEST_F(SettingsStore, MissingFileIsAFirstRun) { EXPECT_FALSE(LoadSettings(U16(Ini().c_str()))); }

TEST_F(SettingsStore, ASaveThatCannotReplaceTheFileLeavesTheOldOneIntact) {
  const std::string old = "fps=60\r\nlib=C:\\mine.mp4\r\n";
  harness::WriteFileBytes(Ini(), old);
  gSettings.fps = 120;
  {
    // Another program (a backup tool, an editor) holds the file open.
    HANDLE holder = CreateFileW(Ini().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    SaveSettings();
    CloseHandle(holder);
  }
  EXPECT_EQ(harness::ReadFileBytes(Ini()), old);
  EXPECT_FALSE(harness::FileExists(Temp())) << "a failed save must not leave its temporary file behind";

  // Nor may a save whose temporary file cannot be written touch the old file.
  CreateDirectoryW(Temp().c_str(), nullptr);
  SaveSettings();
  RemoveDirectoryW(Temp().c_str());
  EXPECT_EQ(harness::ReadFileBytes(Ini()), old);

  SaveSettings();
  EXPECT_EQ(harness::ReadFileBytes(Ini()), FormatSettings(gSettings));
}

TEST_F(SettingsStore, LogLinesAppendAsUtf8WithTimeAndCrLf) {
  LogLine(u"could not load C:\\Vid\u00e9os\\\u00e9t\u00e9.mp4");
  LogLine(u"");
  const std::string log = harness::ReadFileBytes(dir_ + L"\\log.txt");
  const std::string first = " could not load C:\\Vid\xC3\xA9os\\\xC3\xA9t\xC3\xA9.mp4\r\n";
  ASSERT_EQ(log.size(), 19 + first.size() + 19 + 3) << log;
  EXPECT_EQ(log.substr(4, 1), "-");
  EXPECT_EQ(log.substr(19, first.size()), first);
  EXPECT_EQ(log.substr(log.size() - 3), " \r\n");
}

}  // namespace
