// The library's file questions and change notifications on a real Windows
// file system: a file deleted while the library is open must show as
// unusable at the next "state" message, and a folder moved away within the
// worker's recheck.
#include <cstdio>

#include "base/file_probe_win.h"
#include "base/files_win.h"
#include "base/wide_win.h"
#include "harness_win.h"
#include "library/library_facts.h"
#include "library/library_worker.h"

namespace {

class FileProbeTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = U16(harness::TempPath(L"lh-probe-test").c_str());
    CreateDirectoryW(W(dir_), nullptr);
    CreateDirectoryW(W(dir_ + u"\\wallpapers"), nullptr);
    CreateDirectoryW(W(dir_ + u"\\wallpapers\\thumbs"), nullptr);
    for (const char16_t* name : {u"\\wallpapers\\Clip.mp4", u"\\wallpapers\\thumbs\\CLIP.MP4.JPG"})
      WriteWholeFile(dir_ + name, "x");
  }
  void TearDown() override {
    probe_.UnwatchAll();
    harness::RemoveTree(W(dir_));
  }
  std::u16string dir_;
  WindowsFileProbe probe_;
};

TEST_F(FileProbeTest, ThumbnailsMatchWithoutCaseAndADeletionIsReported) {
  const std::vector<LibraryItem> items = ScanLibrary(probe_, dir_, {});
  ASSERT_EQ(items.size(), 1u);
  LibraryFacts facts;
  facts.Gather(probe_, dir_, items);
  EXPECT_TRUE(facts.Usable(0, false));
  EXPECT_EQ(facts.Thumbnail(0), probe_.FileUrl(dir_ + u"\\wallpapers\\thumbs\\Clip.mp4.jpg"));

  ASSERT_TRUE(DeleteFileW(W(dir_ + u"\\wallpapers\\Clip.mp4")));
  bool unusable = false;
  for (int i = 0; i < 30 && !unusable; ++i) {  // the housekeeping second, many times over
    Sleep(100);
    facts.Renew(probe_, items, true);
    unusable = !facts.Usable(0, false);
  }
  EXPECT_TRUE(unusable);
  facts.Clear(probe_);
}

TEST_F(FileProbeTest, AFolderMovedAwayOrDeletedShowsUnusableWithinSeconds) {
  CreateDirectoryW(W(dir_ + u"\\mine"), nullptr);
  WriteWholeFile(dir_ + u"\\mine\\pic.png", "x");
  LibraryWorker worker(std::make_unique<WindowsFileProbe>(), [] {});
  worker.Scan(dir_, {dir_ + u"\\mine\\pic.png"});
  const auto usable = [&](bool expected) {
    return harness::WaitUntil(
        [&] {
          const auto view = worker.Latest();
          return view && view->facts.size() == 2 && view->facts[1].usable == expected;
        },
        30000);
  };
  ASSERT_TRUE(usable(true));
  for (const bool moved : {true, false}) {
    SCOPED_TRACE(moved ? "moved away" : "deleted");
    const ULONGLONG start = GetTickCount64();
    if (moved)
      ASSERT_TRUE(MoveFileW(W(dir_ + u"\\mine"), W(dir_ + u"\\bin")));
    else
      harness::RemoveTree(W(dir_ + u"\\mine"));
    EXPECT_TRUE(usable(false));
    std::printf("[ figure ] unusable %llu ms after the folder was %s\n", GetTickCount64() - start,
                moved ? "moved" : "deleted");
    if (moved)
      ASSERT_TRUE(MoveFileW(W(dir_ + u"\\bin"), W(dir_ + u"\\mine")));
    else {
      CreateDirectoryW(W(dir_ + u"\\mine"), nullptr);
      WriteWholeFile(dir_ + u"\\mine\\pic.png", "x");
    }
    ASSERT_TRUE(usable(true));
  }
}

}  // namespace
