#include "bake/bake_naming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/text.h"
#include "bake/bake_effect.h"

std::u16string PictureKey(std::u16string_view path) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (char16_t unit : path) {
    for (int shift : {0, 8}) {
      hash ^= static_cast<uint8_t>(unit >> shift);
      hash *= 0x100000001b3ull;
    }
  }
  char text[9];
  std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(hash & 0xFFFFFFFFu));
  return AsciiToUtf16(text);
}

bool BakeSizeFor(int32_t pictureWidth, int32_t pictureHeight, int32_t maxSide, int32_t& width, int32_t& height) {
  if (pictureWidth <= 0 || pictureHeight <= 0) return false;
  const int32_t longSide = std::max(pictureWidth, pictureHeight);
  const int32_t target = maxSide != 0 ? maxSide : std::clamp(longSide, 1280, 2560);
  const double scale = static_cast<double>(target) / longSide;
  // Sizes are computed in double and checked before any conversion: a huge
  // size from a command line must fail cleanly, not overflow.
  const auto side = [&](int32_t s) {
    const double scaled = std::trunc(s * scale);
    if (!(scaled <= kMaxBakeSide)) return -1;
    return std::max(static_cast<int32_t>(std::max(scaled, 0.0)) & ~1, 2);
  };
  const int32_t w = side(pictureWidth), h = side(pictureHeight);
  if (w < 0 || h < 0) return false;
  width = w;
  height = h;
  return true;
}

std::u16string BakedFilePath(std::u16string_view folder, std::u16string_view displayName, int32_t preset,
                             char16_t separator) {
  std::u16string path(folder);
  path += separator;
  path += displayName;
  path += u" - ";
  path += kPresetNames[preset >= 0 && preset < kPresetCount ? preset : 0];
  path += u".mp4";
  return path;
}

std::u16string PreviewFilePath(std::u16string_view folder, std::u16string_view key, int32_t preset,
                               char16_t separator) {
  std::u16string path(folder);
  path += separator;
  path += key;
  path += u"-";
  path += AsciiToUtf16(std::to_string(preset));
  path += u".mp4";
  return path;
}

namespace {

// The path with `insert` put before the extension of its file name, if any.
std::u16string BeforeExtension(std::u16string_view path, std::u16string_view insert) {
  const size_t slash = path.find_last_of(u"\\/");
  const size_t dot = path.find_last_of(u'.');
  const bool hasExtension = dot != std::u16string_view::npos && (slash == std::u16string_view::npos || dot > slash);
  std::u16string result(path.substr(0, hasExtension ? dot : path.size()));
  result += insert;
  if (hasExtension) result += path.substr(dot);
  return result;
}

}  // namespace

std::u16string TemporaryVideoPath(std::u16string_view finalPath) { return BeforeExtension(finalPath, u".baking"); }

std::u16string NumberedVideoPath(std::u16string_view path, int32_t n) {
  return BeforeExtension(path, u" (" + AsciiToUtf16(std::to_string(n)) + u")");
}

std::u16string NextFreeVideoPath(std::u16string_view path, const std::function<bool(const std::u16string&)>& exists) {
  for (int32_t n = 2; n <= kMaxNumberedVideos; ++n) {
    std::u16string candidate = NumberedVideoPath(path, n);
    if (!exists(candidate)) return candidate;
  }
  return {};
}

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f'; }

// One "%d" conversion: blanks, an optional sign, then at least one digit.
bool ScanInt(std::u16string_view text, size_t& at, int32_t& value) {
  size_t i = at;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  if (i >= text.size() || text[i] < u'0' || text[i] > u'9') return false;
  int64_t v = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i)
    v = std::min<int64_t>(v * 10 + (text[i] - u'0'), 0x80000000ll);
  v = negative ? -v : v;
  value = static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
  at = i;
  return true;
}

}  // namespace

BakeChildArguments ParseBakeChildArguments(std::u16string_view text) {
  BakeChildArguments args;
  size_t at = 0;
  std::u16string rest;
  if (ScanInt(text, at, args.preset) && ScanInt(text, at, args.size)) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    const size_t end = std::min(text.find(u'\n', at), text.size());
    rest = text.substr(at, std::min<size_t>(end - at, 2047));
  }
  while (!rest.empty() && IsBlank(rest.back())) rest.pop_back();
  const size_t bar = rest.find(u'|');
  if (bar == std::u16string::npos) return args;
  args.hasSeparator = true;
  args.source = rest.substr(0, bar);
  args.output = rest.substr(bar + 1);
  return args;
}

std::string FormatEncodeError(int32_t step, int32_t result, std::u16string_view outputPath) {
  char head[64];
  std::snprintf(head, sizeof head, "encode step %d hr 0x%08x", step, static_cast<unsigned>(result));
  return std::string(head) + " out=[" + Utf16ToUtf8(outputPath) + "]";
}
