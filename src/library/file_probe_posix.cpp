#include "library/file_probe_posix.h"

#include "base/text.h"

#ifndef _WIN32
#include <dirent.h>
#include <sys/stat.h>

namespace {

std::string SystemPath(const std::u16string& path) {
  std::string bytes = Utf16ToUtf8(path);
  for (char& c : bytes)
    if (c == '\\') c = '/';
  return bytes;
}

}  // namespace

uint32_t PosixFileProbe::Attributes(const std::u16string& path) const {
  struct stat info;
  if (path.empty() || ::stat(SystemPath(path).c_str(), &info) != 0) return kInvalidFileAttributes;
  return S_ISDIR(info.st_mode) ? kAttributeDirectory : kAttributeNormal;
}

void PosixFileProbe::ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const {
  DIR* dir = ::opendir(SystemPath(folder).c_str());
  if (!dir) return;
  while (const dirent* entry = ::readdir(dir)) names.push_back(Utf8ToUtf16(entry->d_name));
  ::closedir(dir);
}

#else

// Never used on Windows, where the shell's probe answers.
uint32_t PosixFileProbe::Attributes(const std::u16string&) const { return kInvalidFileAttributes; }
void PosixFileProbe::ListFolder(const std::u16string&, std::vector<std::u16string>&) const {}

#endif

std::u16string PosixFileProbe::FileUrl(const std::u16string& path) const {
  std::u16string url = path.starts_with(u'\\') ? u"file://" : u"file:///";
  for (char16_t c : path) url += c == u'\\' ? u'/' : c;
  return url;
}

std::u16string WindowsStylePath(const std::string& posixPath) {
  std::u16string path = Utf8ToUtf16(posixPath);
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path;
}
