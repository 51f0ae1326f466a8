#include "library/picker_result.h"

namespace {

// The zero-terminated text starting at `at`; `at` moves past its zero.
std::u16string_view NextText(std::u16string_view buffer, size_t& at) {
  if (at >= buffer.size()) return {};
  size_t end = buffer.find(u'\0', at);
  if (end == std::u16string_view::npos) end = buffer.size();
  std::u16string_view text = buffer.substr(at, end - at);
  at = end + 1;
  return text;
}

}  // namespace

std::vector<std::u16string> ParsePickedFiles(std::u16string_view buffer) {
  size_t at = 0;
  const std::u16string_view first = NextText(buffer, at);
  if (first.empty()) return {};
  std::u16string_view name = NextText(buffer, at);
  if (name.empty()) return {std::u16string(first)};
  std::u16string folder(first);
  if (folder.back() != u'\\') folder += u'\\';  // a drive root already ends in one
  std::vector<std::u16string> paths;
  for (; !name.empty(); name = NextText(buffer, at)) paths.push_back(folder + std::u16string(name));
  return paths;
}
