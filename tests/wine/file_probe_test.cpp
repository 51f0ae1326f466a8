// The library's file questions and change notifications on a real Windows
// file system, through the worker that keeps them: a file deleted, or a
// folder moved away or deleted, while the library is open shows unusable
// within seconds.
#include <cstdio>
#include <functional>

#include "base/file_probe_win.h"
#include "base/files_win.h"
#include "base/wide_win.h"
#include "harness_win.h"
#include "library/library_worker.h"

namespace {

TEST(FileProbeTest, ThumbnailsMatchWithoutCaseAndDeletionsAndMovesShowWithinSeconds) {
  const std::u16string dir = U16(harness::TempPath(L"lh-probe-test").c_str());
  for (const char16_t* folder : {u"", u"\\wallpapers", u"\\wallpapers\\thumbs", u"\\mine"})
    CreateDirectoryW(W(dir + folder), nullptr);
  for (const char16_t* name :
       {u"\\wallpapers\\Clip.mp4", u"\\wallpapers\\thumbs\\CLIP.MP4.JPG", u"\\mine\\pic.png"})
    WriteWholeFile(dir + name, "x");
  const std::u16string pic = dir + u"\\mine\\pic.png", clip = dir + u"\\wallpapers\\Clip.mp4";
  const std::u16string mine = dir + u"\\mine", bin = dir + u"\\bin";
  LibraryWorker worker(std::make_unique<WindowsFileProbe>(), [] {});
  worker.Scan(dir, {pic});
  const auto usable = [&](bool clipUsable, bool picUsable) {
    return harness::WaitUntil(
        [&] {
          const auto view = worker.Latest();
          return view && view->facts.size() == 2 && view->facts[0].usable == clipUsable &&
                 view->facts[1].usable == picUsable;
        },
        30000);
  };
  ASSERT_TRUE(usable(true, true));
  EXPECT_EQ(worker.Latest()->facts[0].thumb,
            WindowsFileProbe().FileUrl(dir + u"\\wallpapers\\thumbs\\Clip.mp4.jpg"));
  // What each change does, what it shows, and how it is undone.
  const struct {
    const char* change;
    std::function<void()> make, undo;
    bool clipAfter, picAfter;
  } changes[] = {
      {"file deleted", [&] { DeleteFileW(W(clip)); }, [&] { WriteWholeFile(clip, "x"); }, false, true},
      {"folder moved away", [&] { MoveFileW(W(mine), W(bin)); }, [&] { MoveFileW(W(bin), W(mine)); }, true,
       false},
      {"folder deleted", [&] { harness::RemoveTree(W(mine)); },
       [&] {
         CreateDirectoryW(W(mine), nullptr);
         WriteWholeFile(pic, "x");
       },
       true, false},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.change);
    const ULONGLONG start = GetTickCount64();
    change.make();
    EXPECT_TRUE(usable(change.clipAfter, change.picAfter));
    std::printf("[ figure ] unusable %llu ms after: %s\n", GetTickCount64() - start, change.change);
    change.undo();
    ASSERT_TRUE(usable(true, true));
  }
  harness::RemoveTree(W(dir));
}

}  // namespace
