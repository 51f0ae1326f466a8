#include "base/log_win.h"

#include <windows.h>

#include <mutex>

#include "base/log_format.h"
#include "base/wide_win.h"

namespace {
std::u16string gLogPath;
std::mutex gLogLock;

HANDLE OpenLogForAppending() {
  return CreateFileW(W(gLogPath), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                     nullptr);
}
}  // namespace

void SetLogFolder(const std::u16string& folder) { gLogPath = folder + u"\\log.txt"; }

void LogLine(const std::u16string& message) {
  // The main thread and the bake thread both log: with read sharing only,
  // whichever opened second lost its line, and two appends at once may land
  // at the same offset (Wine), so the lines of this process go one at a time.
  // A reader elsewhere that does not share writing gets a few short retries.
  std::lock_guard<std::mutex> oneLineAtATime(gLogLock);
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 5 && file == INVALID_HANDLE_VALUE; ++attempt) {
    if (attempt > 0) Sleep(2);
    file = OpenLogForAppending();
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

void LogLineFromCrash(const wchar_t* message, size_t length) {
  char line[4096];
  SYSTEMTIME st;
  GetLocalTime(&st);
  char prefix[32];
  size_t used = FormatLogPrefix({st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond}, prefix);
  CopyMemory(line, prefix, used);
  const int room = static_cast<int>(sizeof line - used - 2);
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, message, static_cast<int>(length), line + used, room, nullptr,
                                        nullptr);
  used += bytes > 0 ? static_cast<size_t>(bytes) : 0;
  line[used++] = '\r';
  line[used++] = '\n';
  HANDLE file = OpenLogForAppending();
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(used), &written, nullptr);
  CloseHandle(file);
}
