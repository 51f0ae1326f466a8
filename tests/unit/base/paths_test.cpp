#include "base/paths.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace {

TEST(PathPieces, CutLikeTheShell) {
  const struct {
    std::u16string_view (*cut)(std::u16string_view);
    const char16_t* path;
    const char16_t* want;
  } cases[] = {
      {FindFileName, u"C:\\a\\clip.mp4", u"clip.mp4"},
      {FindFileName, u"C:\\a\\dir\\", u"dir\\"},
      {FindFileName, u"C:clip.mp4", u"clip.mp4"},
      {FindFileName, u"a/b.png", u"b.png"},
      {FindFileName, u"", u""},
      {FindExtension, u"C:\\a.b\\clip", u""},
      {FindExtension, u"C:\\a\\clip.tar.gz", u".gz"},
      {FindExtension, u"C:\\a\\clip.m p4", u""},
      {FindExtension, u"C:\\a\\.hidden", u".hidden"},
      {RemoveExtension, u"C:\\a\\clip.mp4", u"C:\\a\\clip"},
      {RemoveExtension, u"readme", u"readme"},
      {ParentFolder, u"D:\\web\\aurora_sky\\index.html", u"D:\\web\\aurora_sky"},
      {ParentFolder, u"index.html", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(std::u16string(c.cut(c.path)), c.want) << Utf16ToUtf8(c.path);
}

TEST(PathPieces, DataFolderOnlyUnderAFullPath) {
  const struct {
    const char16_t* roaming;
    const char16_t* want;
  } cases[] = {
      {u"C:\\Users\\ann\\AppData\\Roaming", u"C:\\Users\\ann\\AppData\\Roaming\\Lumenhollow"},
      {u"D:\\Roaming\\", u"D:\\Roaming\\Lumenhollow"},
      {u"z:/", u"z:/Lumenhollow"},
      {u"\\\\srv\\home\\ann", u"\\\\srv\\home\\ann\\Lumenhollow"},
      {u"", u""},
      {u"Roaming", u""},
      {u"\\Roaming", u""},
      {u"C:Roaming", u""},
      {u"\\\\", u""},
      {u"1:\\x", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(DataFolderUnder(c.roaming), c.want) << Utf16ToUtf8(c.roaming);
}

}  // namespace
