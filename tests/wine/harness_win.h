#pragma once
// Drives the real lumenhollow.exe from Wine integration tests.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace harness {

// The folder of the test executable; lumenhollow.exe and the test tools sit beside it.
std::wstring BuildDir();
// The program's data folder: roaming application data plus \Lumenhollow.
std::wstring DataDir();
// Removes the data folder (or a file standing in its place) and everything in it.
void RemoveDataDir();
bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The bytes of a 24-bit bottom-up BMP; `rgb(x, y)` gives 0xRRGGBB per pixel,
// y counted from the bottom row.
std::string MakeBmp(int width, int height, const std::function<uint32_t(int x, int y)>& rgb);

// A running program from the build folder (lumenhollow.exe unless named),
// ended (killed if need be) when it goes out of scope.
class App {
 public:
  explicit App(const std::wstring& arguments, const wchar_t* exe = L"lumenhollow.exe");
  ~App();
  App(const App&) = delete;
  App& operator=(const App&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  // Waits for the process to end; returns its exit code, or STILL_ACTIVE on timeout.
  DWORD WaitExit(DWORD timeoutMs);
  bool Running() const;
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

// Polls for a top-level window of `className` owned by `pid` (any process when 0).
HWND WaitForWindow(const wchar_t* className, DWORD pid, DWORD timeoutMs);
HWND FindProcessWindow(const wchar_t* className, DWORD pid);

// Polls `done` every 20 ms, pumping this thread's messages, until it holds or
// the time is up.
template <typename Done>
bool WaitUntil(Done done, DWORD timeoutMs) {
  const ULONGLONG end = GetTickCount64() + timeoutMs;
  for (;;) {
    if (done()) return true;
    if (GetTickCount64() >= end) return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(20);
  }
}

}  // namespace harness
