#include "library/file_probe_win.h"

#include <windows.h>
#include <shlwapi.h>

#include "base/wide_win.h"

uint32_t WindowsFileProbe::Attributes(const std::u16string& path) const { return GetFileAttributesW(W(path)); }

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
