#pragma once
// What every Windows integration test shares: the program and the test tools
// as processes, one waiter, files and folders, test pictures, screenshots of
// the X display, a fixture for renderers in test windows, and the test
// web-view runtime's record and script.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/settings.h"

// The next PresentFrame reports DXGI_ERROR_DEVICE_REMOVED, as a driver reset would.
extern bool gFailNextPresent;

namespace harness {

// ---- Folders and files

// The folder of the test executable; lumenhollow.exe and the test tools sit beside it.
std::wstring BuildDir();
// The program's data folder: roaming application data plus \Lumenhollow.
std::wstring DataDir();
// Removes the data folder (or a file standing in its place) and everything in it.
void RemoveDataDir();
std::wstring TempPath(const wchar_t* name);
bool FileExists(const std::wstring& path);
// "<missing>" when there is no such file. Unlike the program's own reader it
// shares the file with a writer, since the program or the runtime may hold it.
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
std::string Utf8(const std::wstring& text);
// The program's log in its data folder.
std::string ProgramLog();
// The log of the program code running inside this test process.
std::string ReadLog();

// A folder for this run's files, as a Windows path and as the Linux path the
// same folder has (for tools that run outside Wine).
struct Scratch {
  std::u16string windowsDir;  // ends without a separator
  std::string unixDir;
};
const Scratch& ScratchDir();

// ---- Processes and waiting

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
// Lets Wine draw and deliver: pumps messages for `ms` milliseconds.
inline void Pump(DWORD ms) {
  WaitUntil([] { return false; }, ms);
}

// A top-level window of `className` owned by `pid` (any process when 0).
HWND FindProcessWindow(const wchar_t* className, DWORD pid);
HWND WaitForWindow(const wchar_t* className, DWORD pid, DWORD timeoutMs);

// The desktop shell simulator, started and waited for until its Progman shows.
std::unique_ptr<App> StartShell(const std::wstring& arguments = L"");
// A killed shell's windows outlive it for a moment; the next test must not
// mistake them for its own desktop.
void WaitForNoShell();

// Runs a shell command on the Linux side and waits for `doneFile` (a Linux
// path) to appear; the command writes elsewhere and renames, so a file that
// exists is complete.
bool RunLinux(const std::string& command, const std::string& doneFile, DWORD timeoutMs);

// ---- Test pictures

// The bytes of a 24-bit bottom-up BMP; `rgb(x, y)` gives 0xRRGGBB per pixel,
// y counted from the bottom row.
std::string MakeBmp(int width, int height, const std::function<uint32_t(int x, int y)>& rgb);
// Pixels are B8G8R8A8 in 32 bits (alpha high).
void WriteWicPicture(const std::u16string& path, const GUID& container, uint32_t width, uint32_t height,
                     const std::vector<std::vector<uint32_t>>& pages);

// A GIF built byte by byte, so tests control every field a decoder reads.
struct GifFrame {
  uint16_t left = 0, top = 0, width = 0, height = 0;
  uint16_t delay = 10;  // hundredths
  uint8_t disposal = 0;
  bool writeControl = true;      // false: no graphic control extension at all
  std::vector<uint8_t> indices;  // palette indices, width x height
};
// Palette: 0 black, 1 red, 2 green, 3 blue, 4 white.
std::string MakeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<GifFrame>& frames);
GifFrame SolidGifFrame(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index, uint16_t delay,
                       uint8_t disposal);

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
  std::vector<uint8_t> rgb_;
};

// True when every channel is within `tolerance` of the wanted colour.
bool Near(const Rgb& got, int r, int g, int b, int tolerance);
std::string Describe(const Rgb& c);

// Renderers of this process drawing into a plain topmost test window, with
// the log in the scratch folder and the settings restored after each test.
class RenderWindowTest : public testing::Test {
 protected:
  static constexpr int kW = 320, kH = 180;  // 16:9
  static inline const RECT kArea{100, 100, 100 + kW, 100 + kH};

  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  // A fresh window for each renderer. Under Wine a swap chain made for a
  // window that has already been through its first messages never shows, so
  // nothing may be pumped between this and the renderer's Init.
  HWND Window();
  std::u16string File(const char* name) const;
  Shot Capture();
  // A hidden main window and a performance counter, as the frame loop and
  // the GPU reset recovery need them.
  void UseTestMainWindow();

  int tolerance = 24;
  Settings savedSettings_;
  HWND window_ = nullptr;
  HWND savedMainWindow_ = nullptr;
  int64_t savedQpcFrequency_ = 0;
  bool ownMainWindow_ = false;
};

#define EXPECT_COLOUR(shot, x, y, r, g, b)                       \
  EXPECT_TRUE(harness::Near((shot).At(x, y), r, g, b, tolerance)) \
      << "at (" << (x) << ", " << (y) << "): " << harness::Describe((shot).At(x, y))

// ---- The test web-view runtime (tools/fakewebview)

constexpr wchar_t kStableChannel[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

// The versioned folder the build lays the runtime out in.
std::wstring RuntimeFolder();
// Points this process (and every program it starts from now) at the runtime
// through the override variable, or at nothing; empties record and script.
void UseRuntimeThroughVariable(bool on);
// Sets or clears a variable of this process (empty value clears it).
void SetVariable(const wchar_t* name, const std::wstring& value);
// Every record line starting with `prefix`, in order.
std::vector<std::string> RecordLinesStarting(const std::string& prefix);
// Waits until a record line starts with `prefix`; returns it ("" on timeout).
std::string WaitForRecord(const std::string& prefix, DWORD timeoutMs = 10000);
// The page posts a message: "string <text>", "json <json>", "drop <text>\t<path>".
void PageSays(const std::string& line);
std::string FileUrl(const std::wstring& path);

}  // namespace harness
