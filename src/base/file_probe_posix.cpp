#include "base/file_probe_posix.h"

#include <algorithm>

#include "base/text.h"

#ifndef _WIN32
#include <dirent.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool PosixFileProbe::WatchFolder(const std::u16string& folder) const {
  if (notify_ < 0) notify_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (notify_ < 0 || folder.empty()) return false;
  // As on Windows, a folder moved away is not reported by its own watch.
  const int watch =
      ::inotify_add_watch(notify_, SystemPath(folder).c_str(),
                          IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_ONLYDIR);
  if (watch < 0) return false;
  std::vector<std::u16string>& names = watched_[watch];  // the same folder gives the same watch
  if (std::find(names.begin(), names.end(), folder) == names.end()) names.push_back(folder);
  return true;
}

void PosixFileProbe::UnwatchAll() const {
  if (notify_ >= 0) ::close(notify_);  // closing drops every watch with it
  notify_ = -1;
  watched_.clear();
}

void PosixFileProbe::TakeChangedFolders(std::vector<std::u16string>& folders) const {
  if (notify_ < 0) return;
  alignas(inotify_event) char buffer[4096];
  for (;;) {
    const ssize_t length = ::read(notify_, buffer, sizeof buffer);
    if (length <= 0) return;  // EAGAIN: nothing more queued
    for (ssize_t at = 0; at < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
      if (event->mask & IN_Q_OVERFLOW) {
        for (const auto& [watch, names] : watched_) folders.insert(folders.end(), names.begin(), names.end());
        continue;
      }
      const auto found = watched_.find(event->wd);
      if (found != watched_.end()) folders.insert(folders.end(), found->second.begin(), found->second.end());
    }
  }
}

#else

// Never used on Windows, where the shell's probe answers.
uint32_t PosixFileProbe::Attributes(const std::u16string&) const { return kInvalidFileAttributes; }
void PosixFileProbe::ListFolder(const std::u16string&, std::vector<std::u16string>&) const {}
bool PosixFileProbe::WatchFolder(const std::u16string&) const { return false; }
void PosixFileProbe::UnwatchAll() const {}
void PosixFileProbe::TakeChangedFolders(std::vector<std::u16string>&) const {}

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
