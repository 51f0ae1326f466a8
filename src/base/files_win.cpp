#include "base/files_win.h"

#include <windows.h>

#include <algorithm>

#include "base/wide_win.h"

bool ReadWholeFile(const std::u16string& path, std::string& bytes) { return ReadFileHead(path, MAXDWORD, bytes); }

bool ReadFileHead(const std::u16string& path, uint32_t limit, std::string& bytes) {
  HANDLE file = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD size = GetFileSize(file, nullptr);
  bool ok = size != INVALID_FILE_SIZE;
  if (ok) {
    size = std::min<DWORD>(size, limit);
    bytes.resize(size);
    DWORD read = 0;
    if (size > 0) ok = ReadFile(file, bytes.data(), size, &read, nullptr) && read == size;
  }
  CloseHandle(file);
  return ok;
}

void WriteWholeFile(const std::u16string& path, const std::string& bytes) {
  HANDLE file = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

bool ReplaceFileContents(const std::u16string& path, const std::string& bytes) {
  // Truncating the file in place would leave it empty or partial after a
  // crash, a full disk or a power cut; the next start would take that for a
  // first run and the user's library and assignments would be gone.
  const std::u16string temp = path + u".new";
  HANDLE file = CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size() && FlushFileBuffers(file);
  CloseHandle(file);
  ok = ok && MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) DeleteFileW(W(temp));
  return ok;
}
