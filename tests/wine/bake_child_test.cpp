// The bake child mode of the real lumenhollow.exe. Wine has no H.264 encoder,
// so a good picture reaches the encoder and fails at its first step: the
// failure path, error file included, runs for real.
#include "harness_win.h"

namespace {

DWORD RunChild(const std::wstring& line) {
  harness::App child(L"--bake " + line);
  EXPECT_TRUE(child.Started());
  return child.WaitExit(60000);
}

TEST(BakeChild, ExitCodesAndTheErrorFile) {
  const std::wstring dir = harness::TempPath(L"lh bake \u00e9");
  CreateDirectoryW(dir.c_str(), nullptr);
  const std::wstring picture = dir + L"\\lake.png";
  harness::WritePicture(picture, 64, 48, [](int x, int y) { return 0x800000u | (y * 5 & 0xFFu) << 8 | (x & 0x3Fu); });
  harness::WriteFileBytes(dir + L"\\broken.png", std::string(3000, '\x5a'));
  const std::wstring errorFile = harness::TempPath(L"lh-bake-err.txt");
  DeleteFileW(errorFile.c_str());

  // No separator, then an undecodable picture: neither reaches the encoder.
  EXPECT_EQ(RunChild(L"3 0 " + picture), 3u);
  EXPECT_EQ(RunChild(L"3 0 " + dir + L"\\broken.png|" + dir + L"\\out.mp4"), 4u);
  EXPECT_FALSE(harness::FileExists(errorFile));

  // Trailing blanks after the output are ignored; the error file names it.
  const std::wstring output = dir + L"\\Lake - Snowfall.mp4";
  EXPECT_EQ(RunChild(L"3 0 " + picture + L"|" + output + L"   "), 11u);
  ASSERT_TRUE(harness::FileExists(errorFile));
  EXPECT_EQ(harness::ReadFileBytes(errorFile), "encode step 1 hr 0x80070057 out=[" + harness::Utf8(output) + "]");

  // Presets outside the table are passed on unchecked and still bake.
  DeleteFileW(errorFile.c_str());
  EXPECT_EQ(RunChild(L"11 480 " + picture + L"|" + output), 11u);
  EXPECT_TRUE(harness::FileExists(errorFile));
}

}  // namespace
