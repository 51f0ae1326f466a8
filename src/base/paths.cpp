#include "base/paths.h"

namespace {
bool IsSlash(char16_t c) { return c == u'\\' || c == u'/'; }
}  // namespace

std::u16string_view FindFileName(std::u16string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    const char16_t c = path[i];
    if ((IsSlash(c) || c == u':') && i + 1 < path.size() && !IsSlash(path[i + 1])) start = i + 1;
  }
  return path.substr(start);
}

std::u16string_view FindExtension(std::u16string_view path) {
  size_t dot = std::u16string_view::npos;
  for (size_t i = 0; i < path.size(); ++i) {
    // Only "\" ends a component here, as in the shell; a blank ends an
    // extension because extensions never hold one.
    if (path[i] == u'\\' || path[i] == u' ')
      dot = std::u16string_view::npos;
    else if (path[i] == u'.')
      dot = i;
  }
  return dot == std::u16string_view::npos ? path.substr(path.size()) : path.substr(dot);
}

std::u16string_view RemoveExtension(std::u16string_view path) {
  return path.substr(0, path.size() - FindExtension(path).size());
}

std::u16string_view ParentFolder(std::u16string_view path) {
  std::u16string_view parent = path.substr(0, path.size() - FindFileName(path).size());
  if (!parent.empty() && IsSlash(parent.back())) parent.remove_suffix(1);
  return parent;
}

std::u16string DataFolderUnder(std::u16string_view roaming) {
  const bool drive = roaming.size() >= 3 && roaming[1] == u':' && IsSlash(roaming[2]) &&
                     AsciiUpper(roaming[0]) >= u'A' && AsciiUpper(roaming[0]) <= u'Z';
  const bool share = roaming.size() >= 3 && IsSlash(roaming[0]) && IsSlash(roaming[1]) && !IsSlash(roaming[2]);
  if (!drive && !share) return {};
  while (roaming.size() > 3 && IsSlash(roaming.back())) roaming.remove_suffix(1);
  std::u16string folder(roaming);
  if (!IsSlash(folder.back())) folder += u'\\';
  return folder + u"Lumenhollow";
}

char16_t AsciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; }
char16_t AsciiUpper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c; }
