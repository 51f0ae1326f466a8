// The program killed at any moment while it saves its settings: the file on
// disk is always whole and parseable, and a user's file is never reset.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "base/settings.h"
#include "harness_win.h"

namespace {

using namespace harness;

std::wstring Ini() { return DataDir() + L"\\lumenhollow.ini"; }

// A file the program wrote is exactly what formatting its own reading gives;
// a torn or partial write is not.
bool WholeAndParseable(const std::string& bytes) {
  Settings s;
  ParseSettings(bytes, s);
  return !bytes.empty() && bytes == FormatSettings(s);
}

TEST(KilledAtAnyMoment, SettingsStayWholeAndAreNeverReset) {
  RemoveDataDir();
  CreateDirectoryW(DataDir().c_str(), nullptr);
  // The user's file under a monitor's old GDI name: the start moves the key and saves.
  const std::string mine = "fps=77\r\nlib=C:\\mine.mp4\r\nscreen:\\\\.\\DISPLAY1=C:\\mine.mp4\r\n";
  std::mt19937 random(14);
  int firstRuns = 0, migrations = 0, saved = 0;
  constexpr int kKills = 60;
  for (int i = 0; i < kKills; ++i) {
    const bool firstRun = i % 3 == 0;
    if (firstRun) {
      DeleteFileW(Ini().c_str());
      ++firstRuns;
    } else {
      WriteFileBytes(Ini(), mine);
      ++migrations;
    }
    const std::string before = firstRun ? "" : mine;
    {
      App app(L"--tray");
      ASSERT_TRUE(app.Started());
      // Mostly early, in the middle of start-up and its saves; sometimes once it runs.
      if (random() % 4 == 0) WaitForWindow(L"LumenhollowMain", app.Pid(), 3000);
      Sleep(std::uniform_int_distribution<DWORD>(0, 400)(random));
      app.Kill();
    }
    const bool exists = FileExists(Ini());
    ASSERT_TRUE(exists || firstRun) << "kill " << i << ": the user's file is gone";
    if (!exists) continue;
    const std::string after = ReadFileBytes(Ini());
    saved += after != before;
    ASSERT_TRUE(WholeAndParseable(after)) << "kill " << i << " left:\n" << after;
    if (!firstRun) {
      Settings s;
      ParseSettings(after, s);
      ASSERT_EQ(s.fps, 77) << "kill " << i << " reset the file:\n" << after;
      ASSERT_EQ(s.userList, std::vector<std::u16string>{u"C:\\mine.mp4"}) << after;
      ASSERT_EQ(s.assignments.size(), 1u) << after;
    }
  }
  std::printf("     %d kills (%d first runs, %d key migrations), %d saves landed before the kill\n", kKills,
              firstRuns, migrations, saved);
  EXPECT_GT(saved, 0) << "no kill came after a save: the moments are too early to show anything";
  RemoveDataDir();
}

}  // namespace
