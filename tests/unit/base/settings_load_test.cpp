#include "base/settings_load.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Each attempt's result in turn; the last one repeats.
struct ScriptedFile {
  std::vector<FileRead> attempts;
  std::string bytes = "fps=90\r\nlib=C:\\mine.mp4\r\n";
  int reads = 0;
  int32_t slept = 0;

  SettingsReader Reader() {
    return {[this](std::string& out, uint32_t& error) {
              const FileRead r = attempts[std::min<size_t>(reads++, attempts.size() - 1)];
              if (r == FileRead::Read) out = bytes;
              // A short read leaves part of the file behind; it must not be parsed.
              if (r == FileRead::Failed) out = "fps=5";
              error = r == FileRead::Failed ? 32 : r == FileRead::Missing ? 2 : 0;
              return r;
            },
            [this](int32_t ms) { slept += ms; }};
  }
};

TEST(SettingsLoad, OnlyAMissingFileIsAFirstRunAndAnUnreadableOneIsRetriedThenLeftAlone) {
  using enum FileRead;
  struct Case {
    const char* what;
    std::vector<FileRead> attempts;
    SettingsStart start;
    int32_t fps;  // 90 when the file was read, 30 (the default) otherwise
    int32_t slept;
  } cases[] = {
      {"read at once", {Read}, SettingsStart::Loaded, 90, 0},
      {"missing", {Missing}, SettingsStart::FirstRun, 30, 0},
      {"held for a moment, then read", {Failed, Failed, Failed, Read}, SettingsStart::Loaded, 90, 300},
      {"held for the whole retry time", {Failed}, SettingsStart::Unreadable, 30, kSettingsRetryMs},
      {"gone while retrying", {Failed, Missing}, SettingsStart::FirstRun, 30, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScriptedFile file{c.attempts};
    Settings settings;
    uint32_t error = 0;
    EXPECT_EQ(LoadSettingsFile(file.Reader(), settings, error), c.start);
    EXPECT_EQ(settings.fps, c.fps);
    EXPECT_EQ(settings.userList.size(), c.fps == 90 ? 1u : 0u);
    EXPECT_EQ(file.slept, c.slept);
    if (c.start == SettingsStart::Unreadable) {
      EXPECT_EQ(error, 32u);
      EXPECT_EQ(UnreadableSettingsMessage(error),
                u"could not read lumenhollow.ini (error 32); running on defaults and leaving the file untouched");
    }
  }
}

}  // namespace
