#pragma once
// What every Windows integration test shares: the program and the test tools as processes, one
// waiter, files, test pictures, screenshots of the X display, a fixture for renderers in test
// windows, and the test web-view runtime's record and script.
#include <gtest/gtest.h>
#include <windows.h>

#include <wincodec.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/handles_win.h"
#include "base/settings.h"

// The next PresentFrame reports DXGI_ERROR_DEVICE_REMOVED, as a driver reset would.
extern bool gFailNextPresent;

namespace harness {

constexpr wchar_t kMainClass[] = L"LumenhollowMain", kLibraryClass[] = L"LumenhollowLibrary";

// ---- Folders and files

// The folder of the test executable; lumenhollow.exe and the test tools sit beside it.
std::wstring BuildDir();
// The program's data folder: roaming application data plus \Lumenhollow.
std::wstring DataDir();
// Removes a folder and everything in it, or a file.
void RemoveTree(const std::wstring& path);
std::wstring SettingsPath();
std::wstring TempPath(const wchar_t* name);
bool FileExists(const std::wstring& path);
// "<missing>" when there is no such file. Unlike the program's own reader it
// shares the file with a writer, since the program or the runtime may hold it.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string Utf8(const std::wstring& text);
size_t Count(const std::string& text, const std::string& part);
// The program's log in its data folder; the log of the program code in this process.
std::string ProgramLog();
std::string ReadLog();

// This run's folder as a Windows path (no final separator) and as a Linux path, for tools outside Wine.
struct Scratch {
  std::u16string windowsDir;
  std::string unixDir;
};
const Scratch& ScratchDir();

// ---- Processes and waiting

// A running program from the build folder, killed if need be when it goes out of scope.
class App {
 public:
  explicit App(const std::wstring& arguments, const wchar_t* exe = L"lumenhollow.exe");
  ~App() { Kill(); }

  bool Started() const { return process_ != nullptr; }
  DWORD Pid() const { return pid_; }
  // The exit code, or STILL_ACTIVE on timeout.
  DWORD WaitExit(DWORD timeoutMs);
  bool Running() const { return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
  void Kill();

 private:
  UniqueHandle process_;
  DWORD pid_ = 0;
};

// Polls `done` every 20 ms, pumping this thread's messages, until it holds or the time is up.
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
// Lets Wine draw and deliver.
inline void Pump(DWORD ms) {
  WaitUntil([] { return false; }, ms);
}

// A top-level window of `className` owned by `pid` (any process when 0).
HWND FindProcessWindow(const wchar_t* className, DWORD pid);
HWND WaitForWindow(const wchar_t* className, DWORD pid, DWORD timeoutMs);
// Whether process `pid` has loaded the module named `name` ("d3d11.dll").
bool LoadsModule(DWORD pid, const wchar_t* name);
// Exits the program through its tray menu; its exit code, or STILL_ACTIVE.
DWORD ExitThroughTray(App& app);

// The desktop shell simulator, once its Progman shows.
std::unique_ptr<App> StartShell(const std::wstring& arguments = L"");
// A killed shell's windows outlive it for a moment; the next test must not
// mistake them for its own desktop.
void WaitForNoShell();

// Runs a shell command on the Linux side and waits for `doneFile` (a Linux path), which the
// command makes last, by a rename, so that a file that exists is complete.
bool RunLinux(const std::string& command, const std::string& doneFile, DWORD timeoutMs);

// ---- Test pictures

// A picture of `pages` equal pages, written with WIC; `rgb(x, y)` gives 0xRRGGBB.
void WritePicture(const std::wstring& path, int width, int height, const std::function<uint32_t(int x, int y)>& rgb,
                  const GUID& container = GUID_ContainerFormatPng, int pages = 1);

// A GIF built byte by byte, so tests control every field a decoder reads.
// Each frame is one palette colour: 0 black, 1 red, 2 green, 3 blue, 4 white.
struct GifFrame {
  uint16_t left, top, width, height;
  uint8_t index;
  uint16_t delay;  // hundredths
  uint8_t disposal;
  bool writeControl = true;  // false: no graphic control extension at all
};
std::string MakeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<GifFrame>& frames);

// ---- Screenshots

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// The pixels of a rectangle of the X display, taken with ImageMagick.
class Shot {
 public:
  bool Take(const RECT& area);
  Rgb At(int x, int y) const;
  int width = 0, height = 0;

 private:
  std::string rgb_;
};

// Renderers of this process drawing into a plain topmost test window, with the log in the
// scratch folder and the settings restored after each test.
class RenderWindowTest : public testing::Test {
 protected:
  static constexpr int kW = 320, kH = 180;  // 16:9
  static inline const RECT kArea{100, 100, 100 + kW, 100 + kH};

  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A fresh window for each renderer. Under Wine a swap chain made for a window that has already
  // been through its first messages never shows, so nothing may be pumped before the renderer's Init.
  HWND Window();
  std::u16string File(const char* name) const;
  Shot Capture();
  // A hidden main window, as the main-window timers of the frame loop and GPU reset recovery need.
  void UseTestMainWindow();

  int tolerance = 24;
  Settings savedSettings_;
  HWND window_ = nullptr;
  HWND savedMainWindow_ = nullptr;
  bool ownMainWindow_ = false;
};

// Every channel within `tolerance` of the wanted colour; a failure shows what was there.
testing::AssertionResult Near(const Rgb& got, int r, int g, int b, int tolerance);
#define EXPECT_COLOUR(shot, x, y, r, g, b) \
  EXPECT_TRUE(harness::Near((shot).At(x, y), r, g, b, tolerance)) << "at (" << (x) << ", " << (y) << ")"

// ---- The test web-view runtime (tools/fakewebview)

constexpr wchar_t kStableChannel[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

// The versioned folder the build lays the runtime out in.
std::wstring RuntimeFolder();
// Points this process (and every program it starts from now) at the runtime through the
// override variable, or at nothing; empties record and script.
void UseRuntimeThroughVariable(bool on);
// Sets or clears (empty value) a variable of this process.
void SetVariable(const wchar_t* name, const std::wstring& value);
// Every record line starting with `prefix`, in order.
std::vector<std::string> RecordLinesStarting(const std::string& prefix);
// Waits until `nth` record line starting with `prefix` is there; returns it ("" on timeout).
std::string WaitForRecord(const std::string& prefix, size_t nth = 0, DWORD timeoutMs = 10000);
// The second word of a record line: the view id in "navigate <id> <url>" and the like.
std::string RecordId(const std::string& line);
// The page posts a message: "string <text>", "json <json>", "drop <text>\t<path>".
void PageSays(const std::string& line);
std::string FileUrl(const std::wstring& path);

}  // namespace harness
