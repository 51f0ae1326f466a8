// The text after "--bake " as any caller may pass it: the fields come out
// within the documented limits, and a size from it either gives an even
// picture size the encoder takes or fails cleanly.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bake/bake_naming.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  int32_t pictureW, pictureH;
  std::memcpy(&pictureW, data, 4);
  std::memcpy(&pictureH, data + 4, 4);
  std::u16string text((size - 8) / 2, u'\0');
  std::memcpy(text.data(), data + 8, text.size() * 2);

  const BakeChildArguments args = ParseBakeChildArguments(text);
  if (!args.hasSeparator && (!args.source.empty() || !args.output.empty())) Fail("paths without a separator");
  if (args.source.find(u'|') != std::u16string::npos) Fail("the first bar must split");
  if (args.output.find(u'\n') != std::u16string::npos) Fail("a line break in the output path");
  if (args.source.size() + args.output.size() + 1 > 2047 && args.hasSeparator) Fail("more than 2047 characters");
  if (!args.output.empty() && (args.output.back() == u' ' || args.output.back() == u'\t')) Fail("trailing blank");

  int32_t width = -1, height = -1;
  if (BakeSizeFor(pictureW, pictureH, args.size, width, height)) {
    if (width < 2 || height < 2 || width > kMaxBakeSide || height > kMaxBakeSide || width % 2 || height % 2)
      Fail("a bake size the encoder cannot take");
  } else if (width != -1 || height != -1) {
    Fail("a failed size wrote its results");
  }
  if (FormatEncodeError(args.preset, args.size, args.output).find('\0') != std::string::npos && args.output.find(u'\0') == std::u16string::npos)
    Fail("a zero byte from nowhere in the error file");
  return 0;
}
