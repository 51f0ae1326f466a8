#include "harness_win.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

namespace harness {

std::wstring BuildDir() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir = path;
  return dir.substr(0, dir.find_last_of(L"\\/"));
}

std::wstring DataDir() {
  PWSTR roaming = nullptr;
  SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming);
  std::wstring dir = std::wstring(roaming) + L"\\Lumenhollow";
  CoTaskMemFree(roaming);
  return dir;
}

void RemoveDataDir() {
  const std::wstring dir = DataDir();
  const DWORD attributes = GetFileAttributesW(dir.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    SetFileAttributesW(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(dir.c_str());
    return;
  }
  std::wstring from = dir;
  from.push_back(L'\0');  // SHFileOperation wants a double-zero-terminated list
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string MakeBmp(int width, int height, const std::function<uint32_t(int x, int y)>& rgb) {
  const int stride = (width * 3 + 3) & ~3;
  std::string bmp(54 + stride * height, '\0');
  auto put32 = [&](size_t at, uint32_t v) {
    for (int k = 0; k < 4; ++k) bmp[at + k] = static_cast<char>(v >> (8 * k));
  };
  bmp[0] = 'B', bmp[1] = 'M';
  put32(2, static_cast<uint32_t>(bmp.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  bmp[26] = 1, bmp[28] = 24;
  put32(34, static_cast<uint32_t>(stride * height));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = rgb(x, y);
      char* p = &bmp[54 + y * stride + x * 3];
      p[0] = static_cast<char>(c), p[1] = static_cast<char>(c >> 8), p[2] = static_cast<char>(c >> 16);
    }
  return bmp;
}

App::App(const std::wstring& arguments, const wchar_t* exe) {
  std::wstring commandLine = L"\"" + BuildDir() + L"\\" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
}

App::~App() { Kill(); }

void App::Kill() {
  if (!process_) return;
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

DWORD App::WaitExit(DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

bool App::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

HWND FindProcessWindow(const wchar_t* className, DWORD pid) {
  for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
       w = FindWindowExW(nullptr, w, className, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (pid == 0 || owner == pid) return w;
  }
  return nullptr;
}

HWND WaitForWindow(const wchar_t* className, DWORD pid, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  do {
    if (HWND w = FindProcessWindow(className, pid)) return w;
    Sleep(20);
  } while (GetTickCount64() < end);
  return nullptr;
}

}  // namespace harness
