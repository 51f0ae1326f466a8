// The settings file and the log on a real Windows file system.
#include <thread>

#include "app/app_state_win.h"
#include "base/log_win.h"
#include "base/text.h"
#include "base/settings_store_win.h"
#include "base/wide_win.h"
#include "harness_win.h"

namespace {

class SettingsStore : public testing::Test {
 protected:
  void SetUp() override {
    TearDown();
    CreateDirectoryW(dir_.c_str(), nullptr);
    gApp.dataDir = U16(dir_.c_str());
    SetLogFolder(gApp.dataDir);
    gSettings = Settings{};
  }
  void TearDown() override { harness::RemoveTree(dir_); }
  std::wstring Ini() const { return dir_ + L"\\lumenhollow.ini"; }
  std::wstring Temp() const { return dir_ + L"\\lumenhollow.ini.new"; }
  const std::wstring dir_ = harness::TempPath(L"lh-settings-test");
};

// Opens the file without sharing, as a sync tool or a virus scanner may, and
// lets go after `holdMs`.
class Holder {
 public:
  Holder(const std::wstring& path, DWORD holdMs) : holdMs_(holdMs) {
    file_ = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    thread_ = std::thread([this] {
      Sleep(holdMs_);
      CloseHandle(file_);
    });
  }
  ~Holder() { thread_.join(); }
  bool Holding() const { return file_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE file_;
  DWORD holdMs_;
  std::thread thread_;
};

TEST_F(SettingsStore, AFileHeldByAnotherProgramIsNeverTakenForAFirstRun) {
  EXPECT_EQ(LoadSettings(U16(Ini().c_str())), SettingsStart::FirstRun) << "only a missing file is a first run";
  const std::string mine = "fps=60\r\nlib=C:\\mine.mp4\r\nscreen:A=C:\\a.mp4\r\n";
  harness::WriteFileBytes(Ini(), mine);
  {
    // Held for a moment: read once it is free.
    Holder holder(Ini(), 500);
    ASSERT_TRUE(holder.Holding());
    EXPECT_EQ(LoadSettings(U16(Ini().c_str())), SettingsStart::Loaded);
    EXPECT_EQ(gSettings.fps, 60);
    EXPECT_EQ(gSettings.userList.size(), 1u);
  }
  gSettings = Settings{};
  {
    // Held past the retries: defaults, one log line, and no save ever lands on it.
    Holder holder(Ini(), 3000);
    EXPECT_EQ(LoadSettings(U16(Ini().c_str())), SettingsStart::Unreadable);
  }
  EXPECT_EQ(gSettings.fps, 30);
  gSettings.fps = 120;
  SaveSettings();
  EXPECT_EQ(harness::ReadFileBytes(Ini()), mine);
  const std::string log = harness::ReadFileBytes(dir_ + L"\\log.txt");
  EXPECT_NE(log.find(" could not read lumenhollow.ini (error 32); running on defaults and leaving the file untouched\r\n"),
            std::string::npos) << log;
  EXPECT_EQ(log.find("\r\n"), log.size() - 2) << "one line";
  // A later start that can read it again saves as usual.
  EXPECT_EQ(LoadSettings(U16(Ini().c_str())), SettingsStart::Loaded);
  SaveSettings();
  EXPECT_EQ(harness::ReadFileBytes(Ini()), FormatSettings(gSettings));
}

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
  EXPECT_FALSE(harness::FileExists(Temp()));
}

TEST_F(SettingsStore, LogLinesFromTwoThreadsAllLandWholeAndInOrderAsUtf8) {
  // The bake thread and the main thread log at the same time; every line is
  // a 19-character time, a blank, the text in UTF-8 and CR LF.
  constexpr int kLines = 300;
  const auto writer = [](char16_t who) {
    for (int i = 0; i < kLines; ++i)
      LogLine(std::u16string(1, who) + u" \u00e9t\u00e9 " + AsciiToUtf16(std::to_string(i)));
  };
  std::thread bake(writer, u'b');
  writer(u'm');
  bake.join();
  const std::string log = harness::ReadFileBytes(dir_ + L"\\log.txt");
  int next[2] = {0, 0};
  size_t at = 0;
  for (size_t end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string text = log.substr(std::min(at + 20, end), end - std::min(at + 20, end));
    const int who = text[0] == 'b' ? 0 : 1;
    EXPECT_EQ(text, std::string(1, text[0]) + " \xC3\xA9t\xC3\xA9 " + std::to_string(next[who]++))
        << "whole and in order";
  }
  EXPECT_EQ(at, log.size()) << "every line ends in CR LF";
  EXPECT_EQ(next[0] + next[1], 2 * kLines);
}

}  // namespace
