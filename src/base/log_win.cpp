#include "base/log_win.h"

#include <windows.h>

#include "base/log_format.h"
#include "base/wide_win.h"

namespace {
std::u16string gLogPath;
}  // namespace

void SetLogFolder(const std::u16string& folder) { gLogPath = folder + u"\\log.txt"; }

void LogLine(const std::u16string& message) {
  // The main thread and the bake thread both log: with read sharing only,
  // whichever opened second lost its line. Append-only handles that share
  // writing each add their line whole at the end. A reader elsewhere that
  // does not share writing gets a few short retries.
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 5 && file == INVALID_HANDLE_VALUE; ++attempt) {
    if (attempt > 0) Sleep(2);
    file = CreateFileW(W(gLogPath), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                       nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_SHARING_VIOLATION) return;
  }
  if (file == INVALID_HANDLE_VALUE) return;
  SYSTEMTIME st;
  GetLocalTime(&st);
  const std::string line =
      FormatLogLine({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}, message);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
}
