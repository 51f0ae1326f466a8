#include "base/file_probe_win.h"

#include <shlwapi.h>
#include <windows.h>

#include <algorithm>

#include "base/wide_win.h"

uint32_t WindowsFileProbe::Attributes(const std::u16string& path) const {
  return GetFileAttributesW(W(path));
}

void WindowsFileProbe::ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(W(folder + u"\\*"), &entry);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    names.push_back(U16(entry.cFileName));
  } while (FindNextFileW(find, &entry));
  FindClose(find);
}

std::u16string WindowsFileProbe::FileUrl(const std::u16string& path) const {
  wchar_t url[4096] = {};
  DWORD length = 4096;
  if (FAILED(UrlCreateFromPathW(W(path), url, &length, 0))) return {};
  return U16(url);
}

std::u16string WindowsFileProbe::NameKey(std::u16string_view name) const {
  if (name.empty()) return {};
  std::u16string key(name.size(), u'\0');
  // The invariant upper case is what the file system's own comparison uses, near enough.
  const int length =
      LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, reinterpret_cast<const wchar_t*>(name.data()),
                    static_cast<int>(name.size()), reinterpret_cast<wchar_t*>(key.data()),
                    static_cast<int>(key.size()), nullptr, nullptr, 0);
  if (length <= 0) return std::u16string(name);
  key.resize(static_cast<size_t>(length));
  return key;
}

namespace {

// A handle on a removable or network folder keeps the drive from being
// ejected, and on a share that went away its every use waits for the network.
bool OnFixedDrive(const std::u16string& folder) {
  if (folder.size() < 3 || folder[1] != u':' || folder[2] != u'\\') return false;
  const wchar_t root[] = {static_cast<wchar_t>(folder[0]), L':', L'\\', L'\0'};
  return GetDriveTypeW(root) == DRIVE_FIXED;
}

}  // namespace

bool WindowsFileProbe::WatchFolder(const std::u16string& folder) const {
  // A handle left on a deleted folder would keep its name from being used again.
  const auto old = std::find(folders_.begin(), folders_.end(), folder);
  if (old != folders_.end()) {
    const size_t at = static_cast<size_t>(old - folders_.begin());
    FindCloseChangeNotification(handles_[at]);
    handles_.erase(handles_.begin() + static_cast<std::ptrdiff_t>(at));
    folders_.erase(old);
  }
  if (!OnFixedDrive(folder)) return false;
  const HANDLE change = FindFirstChangeNotificationW(
      W(folder), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME);
  if (change == INVALID_HANDLE_VALUE) return false;
  handles_.push_back(change);
  folders_.push_back(folder);
  return true;
}

void WindowsFileProbe::UnwatchAll() const {
  for (void* change : handles_) FindCloseChangeNotification(change);
  handles_.clear();
  folders_.clear();
}

void WindowsFileProbe::TakeChangedFolders(std::vector<std::u16string>& folders) const {
  // One wait answers for up to 64 handles, so a quiet second costs a few calls
  // however many folders are watched.
  for (size_t base = 0; base < handles_.size(); base += MAXIMUM_WAIT_OBJECTS) {
    const size_t end = std::min(handles_.size(), base + MAXIMUM_WAIT_OBJECTS);
    size_t from = base;
    while (from < end) {
      const DWORD count = static_cast<DWORD>(end - from);
      const DWORD result = WaitForMultipleObjects(count, &handles_[from], FALSE, 0);
      if (result >= WAIT_OBJECT_0 + count) break;
      const size_t signalled = from + (result - WAIT_OBJECT_0);
      folders.push_back(folders_[signalled]);
      FindNextChangeNotification(handles_[signalled]);
      from = signalled + 1;
    }
  }
}
