#include "base/log_win.h"

#include <windows.h>

#include "base/log_format.h"
#include "base/wide_win.h"

namespace {
std::u16string gLogPath;
}  // namespace

void SetLogFolder(const std::u16string& folder) { gLogPath = folder + u"\\log.txt"; }

void LogLine(const std::u16string& message) {
  const std::u16string& path = gLogPath;
  HANDLE file = CreateFileW(W(path), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME st;
  GetLocalTime(&st);
  const std::string line =
      FormatLogLine({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}, message);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}
