#include <gtest/gtest.h>

#include "../../support/temp_folder.h"
#include "library/media.h"

namespace {

class MediaOnDisk : public testing::Test {
 protected:
  std::u16string P(const std::string& relative) { return dir.Path(relative); }
  MediaKind Kind(const std::string& relative) { return ClassifyMedia(probe, P(relative)); }
  std::u16string Name(const std::string& relative) { return DisplayNameFor(probe, P(relative)); }

  TempFolder dir;
  PosixFileProbe probe;
};

TEST_F(MediaOnDisk, ClassifiesByExtensionCaseInsensitively) {
  const std::pair<MediaKind, std::vector<const char*>> kinds[] = {
      {MediaKind::Video, {"CLIP.MP4", "clip.Mp4", "a.webm", "a.m4v", "a.mov", "a.wmv", "a.mkv", "a.avi"}},
      {MediaKind::Image, {"p.gif", "p.PNG", "p.jpg", "p.jpeg", "p.bmp", "p.webp"}},
      {MediaKind::Shader, {"s.hlsl", "s.fx"}},
      {MediaKind::Web, {"w.html", "w.htm"}},
      {MediaKind::None, {"clip.mpg", "noext", "x.mp4.txt"}},
  };
  for (const auto& [kind, files] : kinds)
    for (const char* f : files) {
      dir.File(f);
      EXPECT_EQ(Kind(f), kind) << f;
    }
  EXPECT_EQ(Kind("missing.mp4"), MediaKind::None);
}

TEST_F(MediaOnDisk, FoldersAreWebPagesOnlyWithIndexHtml) {
  dir.File("site/index.html");
  dir.Folder("bare");
  dir.Folder("x.png");
  dir.Folder("movie.mp4/index.html");  // a folder named index.html counts too
  EXPECT_EQ(Kind("site"), MediaKind::Web);
  EXPECT_EQ(Kind("bare"), MediaKind::None);
  EXPECT_EQ(Kind("x.png"), MediaKind::None);
  EXPECT_EQ(Kind("movie.mp4"), MediaKind::Web);
}

TEST_F(MediaOnDisk, ShadersAndGifsNeedGpuEffects) {
  for (const char* f : {"a.gif", "b.hlsl", "c.png", "d.GIF", "e.mp4"}) dir.File(f);
  dir.File("site/index.html");
  for (bool gpu : {false, true})
    for (const auto& [name, usable] : {std::pair{"a.gif", gpu}, {"d.GIF", gpu}, {"b.hlsl", gpu},
                                       {"c.png", true}, {"e.mp4", true}, {"site", true}, {"gone.mp4", false}})
      EXPECT_EQ(IsUsableWallpaper(probe, P(name), gpu), usable) << name << gpu;
}

TEST_F(MediaOnDisk, DisplayNames) {
  dir.File("night_drive-2.mp4");
  dir.File("aurora/index.html");
  dir.File("aurora_sky/INDEX.HTML");
  dir.Folder("my.site");
  dir.File("readme");
  dir.File("misty-peaks.mp4");
  EXPECT_EQ(Name("night_drive-2.mp4"), u"Night drive 2");
  EXPECT_EQ(Name("misty-peaks.mp4"), u"Misty peaks");
  EXPECT_EQ(Name("aurora/index.html"), u"Aurora");
  EXPECT_EQ(Name("aurora_sky/INDEX.HTML"), u"Aurora sky");
  EXPECT_EQ(Name("my.site"), u"My.site");
  EXPECT_EQ(Name("readme"), u"Readme");
  EXPECT_EQ(Name("clip.mp4"), u"Clip.mp4");  // missing: keeps its extension
  // Only the first unit changes case, and only A to Z do.
  EXPECT_EQ(DisplayNameFor(probe, u"\\nowhere\\éCLAIR"), u"éCLAIR");
  EXPECT_EQ(DisplayNameFor(probe, u""), u"");
}

class LibraryScan : public MediaOnDisk {
 protected:
  std::vector<LibraryItem> Scan(const std::vector<std::u16string>& user = {}) {
    return ScanLibrary(probe, dir.Path(), user);
  }
};

TEST_F(LibraryScan, SortsBuiltInsByCodeUnitsThenAppendsUserItemsUnsorted) {
  for (const char* f : {"b.mp4", "A.mp4", "a.mp4", "Zen.png", "zen-x.mp4", "zoo-b.mp4", "Zoo_B.mp4", "\u00e9mile.mp4",
                        "notes.txt", ".hidden.mp4"})
    dir.File(std::string("wallpapers/") + f);
  dir.File("wallpapers/site/index.html");
  dir.Folder("wallpapers/thumbs");
  dir.Folder("wallpapers/.git");
  dir.File("user/z.mp4");
  dir.File("user/a.hlsl");
  const std::vector<std::u16string> user = {P("user/z.mp4"), P("user/deleted.mp4"), P("user/a.hlsl"),
                                            P("user/z.mp4")};
  const auto items = Scan(user);
  std::vector<std::u16string> names;
  for (const auto& item : items) names.push_back(item.name);
  // Upper case before lower, a prefix before its extensions, non-ASCII last.
  EXPECT_EQ(names, (std::vector<std::u16string>{u"A", u"A", u"B", u"Site", u"Zen", u"Zen x", u"Zoo B", u"Zoo b",
                                                u"\u00e9mile", u"Z", u"Deleted.mp4", u"A", u"Z"}));
  const size_t builtIns = 9;
  ASSERT_EQ(items.size(), builtIns + user.size());
  std::vector<MediaKind> kinds;
  for (size_t i = 0; i < items.size(); ++i) {
    kinds.push_back(items[i].kind);
    EXPECT_EQ(items[i].builtIn, i < builtIns) << i;
    if (i >= builtIns) {
      EXPECT_EQ(items[i].path, user[i - builtIns]);
    }
  }
  using enum MediaKind;
  EXPECT_EQ(kinds, (std::vector{Video, Video, Video, Web, Image, Video, Video, Video, Video,  // built in
                                Video, None, Shader, Video}));
  EXPECT_EQ(items[3].path, P("wallpapers/site"));
}

TEST_F(LibraryScan, MissingOrEmptyFolderStillListsUserItems) {
  const std::vector<std::u16string> user = {u"C:\\x\\c.mp4", u"C:\\x\\a.mp4", u"C:\\x\\b.mp4"};
  auto items = Scan(user);
  ASSERT_EQ(items.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(items[i].path, user[i]);
  dir.Folder("wallpapers");
  EXPECT_EQ(Scan(user).size(), 3u);
  EXPECT_TRUE(Scan().empty());
}

TEST_F(LibraryScan, ThumbnailsOnlyFromTheThumbsFolderForBuiltIns) {
  dir.File("wallpapers/misty-peaks.mp4");
  dir.File("wallpapers/thumbs/misty-peaks.mp4.jpg");
  dir.File("wallpapers/ocean.mp4");
  dir.File("wallpapers/still.png");
  dir.File("user/misty-peaks.mp4");
  dir.File("user/photo.gif");
  const auto thumb = [&](std::u16string path, MediaKind kind, bool builtIn) {
    return ThumbnailUrlFor(probe, dir.Path(), LibraryItem{u"n", std::move(path), kind, builtIn});
  };
  EXPECT_EQ(thumb(P("wallpapers/misty-peaks.mp4"), MediaKind::Video, true),
            probe.FileUrl(P("wallpapers/thumbs/misty-peaks.mp4.jpg")));
  EXPECT_EQ(thumb(P("wallpapers/ocean.mp4"), MediaKind::Video, true), u"");
  EXPECT_EQ(thumb(P("wallpapers/still.png"), MediaKind::Image, true), probe.FileUrl(P("wallpapers/still.png")));
  EXPECT_EQ(thumb(P("user/misty-peaks.mp4"), MediaKind::Video, false), u"");
  EXPECT_EQ(thumb(P("user/photo.gif"), MediaKind::Image, false), probe.FileUrl(P("user/photo.gif")));
  EXPECT_EQ(thumb(P("user/gone.mp4"), MediaKind::None, false), u"");
}

}  // namespace
