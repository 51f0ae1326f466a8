// The program killed at any moment while it saves its settings: the file on
// disk is always whole and parseable, and a user's file is never reset.
#include <random>

#include "base/settings.h"
#include "harness_win.h"

namespace {

using namespace harness;

// A file the program wrote is exactly what formatting its own reading gives;
// a torn or partial write is not.
bool WholeAndParseable(const std::string& bytes) {
  Settings s;
  ParseSettings(bytes, s);
  return !bytes.empty() && bytes == FormatSettings(s);
}

// Puts the state a start meets: no file (a first run) or the user's file.
void Prepare(bool firstRun, const std::string& mine) {
  if (firstRun)
    DeleteFileW(SettingsPath().c_str());
  else
    WriteFileBytes(SettingsPath(), mine);
}

// How long after its start the program has saved, so the kills land around that moment.
DWORD MillisecondsToSave(bool firstRun, const std::string& mine) {
  Prepare(firstRun, mine);
  App app(L"--tray");
  const ULONGLONG start = GetTickCount64();
  const std::string before = firstRun ? "<missing>" : mine;
  WaitUntil([&] { return ReadFileBytes(SettingsPath()) != before; }, 10000);
  return static_cast<DWORD>(GetTickCount64() - start);
}

TEST(KilledAtAnyMoment, SettingsStayWholeAndAreNeverReset) {
  RemoveTree(DataDir());
  CreateDirectoryW(DataDir().c_str(), nullptr);
  // The user's file under a monitor's old GDI name: the start moves the key and saves.
  const std::string mine = "fps=77\r\nlib=C:\\mine.mp4\r\nscreen:\\\\.\\DISPLAY1=C:\\mine.mp4\r\n";
  // A first run saves before any window; a key migration once the screens are built.
  const DWORD saveMs[2] = {MillisecondsToSave(false, mine), MillisecondsToSave(true, mine)};
  std::mt19937 random(14);
  int saved = 0;
  constexpr int kKills = 50;
  for (int i = 0; i < kKills; ++i) {
    const bool firstRun = i % 3 == 0;
    Prepare(firstRun, mine);
    const std::string before = firstRun ? "" : mine;
    {
      App app(L"--tray");
      ASSERT_TRUE(app.Started());
      const DWORD t = saveMs[firstRun];
      Sleep(std::uniform_int_distribution<DWORD>(t / 2, t * 5 / 4)(random));
      app.Kill();
    }
    const bool exists = FileExists(SettingsPath());
    ASSERT_TRUE(exists || firstRun) << "kill " << i << ": the user's file is gone";
    if (!exists) continue;
    const std::string after = ReadFileBytes(SettingsPath());
    saved += after != before;
    ASSERT_TRUE(after == before || WholeAndParseable(after)) << "kill " << i << " left:\n" << after;
    Settings s;
    ParseSettings(after, s);
    ASSERT_TRUE(firstRun || (s.fps == 77 && s.userList == std::vector<std::u16string>{u"C:\\mine.mp4"} &&
                             s.assignments.size() == 1))
        << "kill " << i << " reset the file:\n" << after;
  }
  std::printf("     %d kills around the saves at %lu ms (first run) and %lu ms (key migration); %d after a save\n",
              kKills, static_cast<unsigned long>(saveMs[1]), static_cast<unsigned long>(saveMs[0]), saved);
  EXPECT_GT(saved, 0) << "no kill came after a save: the moments are too early to show anything";
  RemoveTree(DataDir());
}

}  // namespace
