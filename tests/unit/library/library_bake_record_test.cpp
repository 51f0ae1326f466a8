#include <gtest/gtest.h>

#include "../../support/recording_host.h"
#include "../../support/temp_folder.h"
#include "library/library_bridge.h"

namespace {

using Calls = std::vector<std::string>;

// What a bake job's records do to the library: only a finished bake changes
// the user list, and a video baked twice is listed once.
TEST(BakeRecords, AFinishedBakeJoinsTheUserListOnceAndReachesThePageAfterTheState) {
  TempFolder dir;
  PosixFileProbe probe;
  RecordingHost host;
  host.exeDir = dir.Path();
  LibraryBridge bridge{host, probe};
  dir.File("clip.mp4");
  const std::u16string clip = dir.Path("clip.mp4");

  bridge.TakeBakeRecord(0, 3, 40, u"");
  bridge.TakeBakeRecord(1, 3, 0, dir.Path("preview.mp4"));
  bridge.TakeBakeRecord(3, 3, 100, u"");
  EXPECT_TRUE(host.settings.userList.empty()) << "progress, previews and failures list nothing";
  EXPECT_EQ(host.calls, (Calls{"Post bake", "Post bake", "Post bake"}));

  host.calls.clear();
  bridge.TakeBakeRecord(2, 3, 100, clip);
  bridge.TakeBakeRecord(2, 3, 100, clip);
  EXPECT_EQ(host.settings.userList, std::vector<std::u16string>{clip});
  EXPECT_EQ(host.calls, (Calls{"SaveSettings", "Post state", "Post bake", "SaveSettings", "Post state", "Post bake"}));
}

}  // namespace
