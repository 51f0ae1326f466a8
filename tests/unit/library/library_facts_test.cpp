#include <gtest/gtest.h>

#include <functional>

#include "../../support/recording_host.h"
#include "../../support/temp_folder.h"
#include "base/paths.h"
#include "library/library_bridge.h"

namespace {

// Real folders, with the questions counted; `watches` false makes a probe
// that hears of no change, as where notifications are not to be had.
class CountingProbe final : public FileProbe {
 public:
  uint32_t Attributes(const std::u16string& path) const override {
    ++questions;
    return real.Attributes(path);
  }
  void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override {
    ++questions;
    real.ListFolder(folder, names);
  }
  std::u16string FileUrl(const std::u16string& path) const override { return real.FileUrl(path); }
  bool WatchFolder(const std::u16string& folder) const override {
    ++questions;  // a watch opens the folder
    return watches && real.WatchFolder(folder);
  }
  void UnwatchAll() const override { real.UnwatchAll(); }
  void TakeChangedFolders(std::vector<std::u16string>& folders) const override {
    real.TakeChangedFolders(folders);
  }

  PosixFileProbe real;
  bool watches = true;
  mutable int questions = 0;
};

class LibraryFactsTest : public testing::Test {
 public:
  LibraryFactsTest() {
    host.exeDir = dir.Path();
    for (const char* file :
         {"wallpapers/a.mp4", "wallpapers/b.mp4", "wallpapers/c.png", "wallpapers/d.gif",
          "wallpapers/site/index.html", "wallpapers/thumbs/a.mp4.jpg", "wallpapers/thumbs/b.mp4.jpg",
          "mine/clip.mp4", "mine/pic.png", "mine/page/index.html", "other/x.mp4"})
      dir.File(file);
    for (const char* path :
         {"mine/clip.mp4", "mine/pic.png", "mine/later.mp4", "mine/page", "other/x.mp4", "nowhere/y.mp4"})
      host.settings.userList.push_back(dir.Path(path));
  }

  // The message as it would be with every question asked now, as the
  // program once built it each time.
  std::u16string AskedNow() {
    StateSnapshot snap = bridge.TakeSnapshot();
    std::vector<std::u16string> thumbs, urls;
    thumbs.reserve(snap.items.size());
    urls.reserve(snap.items.size());
    for (StateItem& entry : snap.items) {
      const LibraryItem& item = *entry.item;
      entry.ok = IsUsableWallpaper(probe.real, item.path, host.settings.gpuEffects);
      entry.thumb = thumbs.emplace_back(ThumbnailUrlFor(probe.real, host.exeDir, item));
      entry.url = urls.emplace_back(item.kind == MediaKind::Video ? probe.real.FileUrl(item.path) : u"");
    }
    return BuildStateMessage(snap);
  }

  TempFolder dir;
  CountingProbe probe;
  RecordingHost host;
  LibraryBridge bridge{host, probe};
};

TEST_F(LibraryFactsTest, EveryMessageSaysWhatAskingNowWouldSay) {
  const struct {
    const char* change;
    std::function<void(LibraryFactsTest&)> make;
  } steps[] = {
      {"nothing", [](LibraryFactsTest&) {}},
      {"a built-in video deleted", [](LibraryFactsTest& t) { t.dir.Remove("wallpapers/b.mp4"); }},
      {"a thumbnail deleted", [](LibraryFactsTest& t) { t.dir.Remove("wallpapers/thumbs/a.mp4.jpg"); }},
      {"a thumbnail added", [](LibraryFactsTest& t) { t.dir.File("wallpapers/thumbs/c.png.jpg"); }},
      {"a built-in page loses index.html",
       [](LibraryFactsTest& t) { t.dir.Remove("wallpapers/site/index.html"); }},
      {"a user file deleted", [](LibraryFactsTest& t) { t.dir.Remove("mine/clip.mp4"); }},
      {"a missing user file appears", [](LibraryFactsTest& t) { t.dir.File("mine/later.mp4"); }},
      {"a user picture becomes a page folder",
       [](LibraryFactsTest& t) {
         t.dir.Remove("mine/pic.png");
         t.dir.File("mine/pic.png/index.html");
       }},
      {"GPU effects on", [](LibraryFactsTest& t) { t.host.settings.gpuEffects = true; }},
      {"a user page loses index.html", [](LibraryFactsTest& t) { t.dir.Remove("mine/page/index.html"); }},
      {"a user folder deleted whole", [](LibraryFactsTest& t) { t.dir.Remove("other"); }},
      {"the thumbs folder deleted whole", [](LibraryFactsTest& t) { t.dir.Remove("wallpapers/thumbs"); }},
      {"the thumbs folder back", [](LibraryFactsTest& t) { t.dir.File("wallpapers/thumbs/b.mp4.jpg"); }},
      {"a missing user folder appears", [](LibraryFactsTest& t) { t.dir.File("nowhere/y.mp4"); }},
      {"the deleted user folder back", [](LibraryFactsTest& t) { t.dir.File("other/x.mp4"); }},
      {"GPU effects off", [](LibraryFactsTest& t) { t.host.settings.gpuEffects = false; }},
  };
  for (bool watches : {true, false}) {
    SCOPED_TRACE(watches ? "with change notifications" : "without");
    probe.watches = watches;
    bridge.ReleaseLibraryList();
    for (const auto& step : steps) {
      SCOPED_TRACE(step.change);
      step.make(*this);
      bridge.SendState();
      ASSERT_FALSE(host.posted.empty());
      EXPECT_EQ(Utf16ToUtf8(host.posted.back()), Utf16ToUtf8(AskedNow()));
    }
    // Put the files back for the second round.
    for (const char* file : {"wallpapers/b.mp4", "wallpapers/thumbs/a.mp4.jpg", "wallpapers/site/index.html",
                             "mine/clip.mp4", "mine/page/index.html"})
      dir.File(file);
    dir.Remove("mine/later.mp4");
    dir.Remove("mine/pic.png");
    dir.File("mine/pic.png");
  }
}

TEST_F(LibraryFactsTest, QuietFoldersCostNoQuestionsUntilTheRecheck) {
  LibraryLister lister(probe);
  lister.Scan(host.exeDir, host.settings.userList);
  const auto questionsOfRenew = [&](bool recheck) {
    probe.questions = 0;
    EXPECT_FALSE(lister.Renew(recheck)) << "nothing changed";
    return probe.questions;
  };
  for (int i = 0; i < 3; ++i) EXPECT_EQ(questionsOfRenew(false), 0);
  // The recheck asks whether each of the 6 watched folders is still there,
  // tries to watch "nowhere" and asks twice about its item.
  EXPECT_EQ(questionsOfRenew(true), 6 + 1 + 2);

  probe.watches = false;
  lister.Scan(host.exeDir, host.settings.userList);
  EXPECT_EQ(questionsOfRenew(false), 0);
  EXPECT_GE(questionsOfRenew(true), static_cast<int>(host.settings.userList.size()));
}

TEST_F(LibraryFactsTest, ThumbnailNamesAreComparedAsTheFileSystemDoes) {
  // A probe for a file system that ignores case, as Windows does.
  class CaseBlindProbe final : public FileProbe {
   public:
    uint32_t Attributes(const std::u16string& path) const override { return real.Attributes(path); }
    void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override {
      real.ListFolder(folder, names);
    }
    std::u16string FileUrl(const std::u16string& path) const override { return real.FileUrl(path); }
    std::u16string NameKey(std::u16string_view name) const override {
      std::u16string key(name);
      for (char16_t& c : key) c = AsciiUpper(c);
      return key;
    }
    PosixFileProbe real;
  } caseBlind;
  dir.File("wallpapers/thumbs/C.PNG.JPG");
  LibraryBridge blind(host, caseBlind);
  blind.SendState();
  const StateSnapshot snap = blind.TakeSnapshot();
  ASSERT_EQ(snap.items[2].item->name, u"C");
  EXPECT_EQ(snap.items[2].thumb, caseBlind.FileUrl(dir.Path("wallpapers/thumbs/c.png.jpg")));
  bridge.SendState();
  EXPECT_EQ(bridge.TakeSnapshot().items[2].thumb, probe.FileUrl(dir.Path("wallpapers/c.png")));
}

}  // namespace
