#include "harness_win.h"

#include <mfapi.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/app_state_win.h"
#include "base/files_win.h"
#include "base/log_win.h"
#include "base/text.h"
#include "base/wide_win.h"
#include "desktop/screens_win.h"
#include "render/graphics_win.h"

using Microsoft::WRL::ComPtr;

bool gFailNextPresent = false;

// Linked in place of the product's PresentFrame (present_win.cpp), which the
// linker then leaves out of this test program.
void PresentFrame(IDXGISwapChain1* swapChain) {
  HRESULT hr = swapChain->Present(0, 0);
  if (gFailNextPresent) {
    gFailNextPresent = false;
    hr = DXGI_ERROR_DEVICE_REMOVED;
  }
  NoteDeviceLoss(hr);
}

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

std::wstring TempPath(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
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

void WriteFileBytes(const std::wstring& path, const std::string& bytes) { WriteWholeFile(U16(path.c_str()), bytes); }

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8(U16(text.c_str())); }

std::string ProgramLog() { return ReadFileBytes(DataDir() + L"\\log.txt"); }

std::string ReadLog() { return ReadFileBytes(W(gApp.dataDir + u"\\log.txt")); }

namespace {

// The path Wine gives a Linux file.
std::u16string FromLinux(const std::string& unixPath) {
  std::u16string path = Utf8ToUtf16("Z:" + unixPath);
  for (char16_t& c : path)
    if (c == u'/') c = u'\\';
  return path;
}

}  // namespace

const Scratch& ScratchDir() {
  static const Scratch scratch = [] {
    char base[1024] = {};
    if (!GetEnvironmentVariableA("LH_BUILD", base, sizeof base)) strcpy(base, "/tmp");
    Scratch s;
    // Wine gives the first process of a fresh prefix the same id every run.
    s.unixDir = std::string(base) + "/render-wine-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(GetTickCount64());
    s.windowsDir = FromLinux(s.unixDir);
    CreateDirectoryW(W(s.windowsDir), nullptr);
    return s;
  }();
  return scratch;
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
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(className, pid)) != nullptr; }, timeoutMs);
  return found;
}

std::unique_ptr<App> StartShell(const std::wstring& arguments) {
  auto shell = std::make_unique<App>(arguments, L"shellsim.exe");
  EXPECT_TRUE(WaitUntil([] { return FindWindowW(L"Progman", nullptr) != nullptr; }, 10000)) << "no Progman";
  return shell;
}

void WaitForNoShell() {
  WaitUntil([] { return FindWindowW(L"Progman", nullptr) == nullptr; }, 5000);
}

bool RunLinux(const std::string& command, const std::string& doneFile, DWORD timeoutMs) {
  const std::u16string done = FromLinux(doneFile);
  // Wine starts Linux programs directly.
  std::string line = "/bin/sh -c \"" + command + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return WaitUntil([&] { return GetFileAttributesW(W(done)) != INVALID_FILE_ATTRIBUTES; }, timeoutMs);
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

void WriteWicPicture(const std::u16string& path, const GUID& container, uint32_t width, uint32_t height,
                     const std::vector<std::vector<uint32_t>>& pages) {
  IWICImagingFactory* wic = gApp.imagingFactory.Get();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  if (FAILED(wic->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(W(path), GENERIC_WRITE)) ||
      FAILED(wic->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
    return;
  for (const auto& page : pages) {
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get()))) return;
    frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    frame->SetPixelFormat(&format);
    frame->WritePixels(height, width * 4, width * height * 4,
                       reinterpret_cast<BYTE*>(const_cast<uint32_t*>(page.data())));
    frame->Commit();
  }
  encoder->Commit();
}

namespace {

void Put16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

// LZW with a clear code every few literals, so codes stay 4 bits wide: big,
// but every decoder reads it.
std::string LzwLiterals(const std::vector<uint8_t>& indices) {
  constexpr unsigned kClear = 8, kEnd = 9, kWidth = 4;
  std::string bytes;
  uint32_t bits = 0;
  unsigned count = 0;
  const auto emit = [&](unsigned code) {
    bits |= code << count;
    count += kWidth;
    while (count >= 8) {
      bytes += static_cast<char>(bits & 0xFF);
      bits >>= 8;
      count -= 8;
    }
  };
  for (size_t i = 0; i < indices.size(); ++i) {
    if (i % 4 == 0) emit(kClear);
    emit(indices[i]);
  }
  emit(kEnd);
  if (count) bytes += static_cast<char>(bits & 0xFF);
  std::string blocks;
  blocks += static_cast<char>(3);  // minimum code size
  for (size_t i = 0; i < bytes.size(); i += 255) {
    const size_t n = std::min<size_t>(255, bytes.size() - i);
    blocks += static_cast<char>(n);
    blocks += bytes.substr(i, n);
  }
  blocks += '\0';
  return blocks;
}

}  // namespace

std::string MakeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<GifFrame>& frames) {
  std::string out = "GIF89a";
  Put16(out, screenWidth);
  Put16(out, screenHeight);
  out += static_cast<char>(0xA2);  // global palette of 8 entries
  out += '\0';
  out += '\0';
  const uint8_t palette[8][3] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0},
                                 {0, 0, 0}, {0, 0, 0}};
  for (const auto& c : palette) out.append(reinterpret_cast<const char*>(c), 3);
  for (const GifFrame& f : frames) {
    if (f.writeControl) {
      out += "\x21\xF9\x04";
      out += static_cast<char>(f.disposal << 2);
      Put16(out, f.delay);
      out += '\0';
      out += '\0';
    }
    out += '\x2C';
    Put16(out, f.left);
    Put16(out, f.top);
    Put16(out, f.width);
    Put16(out, f.height);
    out += '\0';
    out += LzwLiterals(f.indices);
  }
  out += '\x3B';
  return out;
}

GifFrame SolidGifFrame(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index, uint16_t delay,
                       uint8_t disposal) {
  GifFrame f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.delay = delay;
  f.disposal = disposal;
  f.indices.assign(size_t(width) * height, index);
  return f;
}

bool Shot::Take(const RECT& area) {
  static int counter = 0;
  const std::string unixPath = ScratchDir().unixDir + "/shot" + std::to_string(++counter);
  // The whole root window, cut to the area here. The finished file appears by
  // rename, so a half-written one is never read.
  std::string bytes;
  if (!RunLinux("import -window root -depth 8 ppm:" + unixPath + ".tmp && mv " + unixPath + ".tmp " + unixPath +
                    ".ppm",
                unixPath + ".ppm", 20000) ||
      !ReadWholeFile(FromLinux(unixPath + ".ppm"), bytes))
    return false;
  int screenW = 0, screenH = 0, maxValue = 0, consumed = 0;
  if (sscanf(bytes.c_str(), "P6 %d %d %d%n", &screenW, &screenH, &maxValue, &consumed) != 3 || maxValue != 255)
    return false;
  const size_t offset = static_cast<size_t>(consumed) + 1;  // one whitespace byte after the header
  if (bytes.size() < offset + size_t(screenW) * screenH * 3 || area.left < 0 || area.top < 0 ||
      area.right > screenW || area.bottom > screenH)
    return false;
  width = area.right - area.left;
  height = area.bottom - area.top;
  rgb_.resize(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    memcpy(&rgb_[size_t(y) * width * 3], &bytes[offset + (size_t(area.top + y) * screenW + area.left) * 3],
           size_t(width) * 3);
  return true;
}

Rgb Shot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
  const size_t i = (size_t(y) * width + x) * 3;
  return {rgb_[i], rgb_[i + 1], rgb_[i + 2]};
}

bool Near(const Rgb& got, int r, int g, int b, int tolerance) {
  return abs(got.r - r) <= tolerance && abs(got.g - g) <= tolerance && abs(got.b - b) <= tolerance;
}

std::string Describe(const Rgb& c) {
  char text[48];
  snprintf(text, sizeof text, "(%d, %d, %d)", c.r, c.g, c.b);
  return text;
}

namespace {

constexpr wchar_t kTestWindowClass[] = L"LumenhollowRenderTest";
std::u16string gSavedDataDir;

// Like a surface window: no background painting over what Direct3D shows.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RenderWindowTest::SetUpTestSuite() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  MFStartup(MF_VERSION, MFSTARTUP_LITE);
  if (!gApp.imagingFactory)
    CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&gApp.imagingFactory));
  gSavedDataDir = gApp.dataDir;
  gApp.dataDir = ScratchDir().windowsDir;
  SetLogFolder(gApp.dataDir);
  WNDCLASSW wc{};
  wc.lpfnWndProc = TestWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kTestWindowClass;
  RegisterClassW(&wc);
}

void RenderWindowTest::TearDownTestSuite() {
  gApp.dataDir = gSavedDataDir;
  SetLogFolder(gApp.dataDir);
}

void RenderWindowTest::SetUp() {
  ASSERT_TRUE(gApp.imagingFactory);
  ASSERT_TRUE(EnsureDevice());
  savedSettings_ = gSettings;
}

void RenderWindowTest::TearDown() {
  gScreens.clear();
  gSavers.clear();
  if (window_) DestroyWindow(window_);
  window_ = nullptr;
  gSettings = savedSettings_;
  if (ownMainWindow_) {
    DestroyWindow(gApp.mainWindow);
    gApp.mainWindow = savedMainWindow_;
    gShell.qpcFrequency = savedQpcFrequency_;
    ownMainWindow_ = false;
  }
  gFailNextPresent = false;
}

HWND RenderWindowTest::Window() {
  if (window_) DestroyWindow(window_);
  window_ = CreateWindowExW(WS_EX_TOPMOST, kTestWindowClass, L"", WS_POPUP | WS_VISIBLE, kArea.left, kArea.top, kW,
                            kH, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  EXPECT_TRUE(window_);
  return window_;
}

std::u16string RenderWindowTest::File(const char* name) const {
  return ScratchDir().windowsDir + u"\\" + Utf8ToUtf16(name);
}

Shot RenderWindowTest::Capture() {
  Pump(300);
  Shot shot;
  EXPECT_TRUE(shot.Take(kArea)) << "screenshot failed";
  return shot;
}

void RenderWindowTest::UseTestMainWindow() {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  savedMainWindow_ = gApp.mainWindow;
  savedQpcFrequency_ = gShell.qpcFrequency;
  ownMainWindow_ = true;
  gShell.qpcFrequency = f.QuadPart;
  gApp.instance = GetModuleHandleW(nullptr);
  gApp.mainWindow = CreateWindowExW(0, kTestWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
}

std::wstring RuntimeFolder() { return BuildDir() + L"\\fakewebview\\140.0.3485.54"; }

namespace {

// The runtime reads the record's name once per process, so it never changes.
std::wstring RecordPath() { return TempPath(L"lh-fakewebview-record.txt"); }
std::wstring ScriptPath() { return TempPath(L"lh-fakewebview-script.txt"); }

std::vector<std::string> RecordLines() {
  std::vector<std::string> lines;
  const std::string bytes = ReadFileBytes(RecordPath());
  if (bytes == "<missing>") return lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(bytes.substr(start, end - start));
  return lines;
}

}  // namespace

void SetVariable(const wchar_t* name, const std::wstring& value) {
  SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

void UseRuntimeThroughVariable(bool on) {
  SetVariable(L"WEBVIEW2_BROWSER_EXECUTABLE_FOLDER", on ? RuntimeFolder() : L"");
  SetVariable(L"LH_FAKEWEBVIEW_RECORD", RecordPath());
  SetVariable(L"LH_FAKEWEBVIEW_SCRIPT", ScriptPath());
  for (const wchar_t* name : {L"LH_FAKEWEBVIEW_ENV_DELAY_MS", L"LH_FAKEWEBVIEW_CONTROLLER_DELAY_MS",
                              L"LH_FAKEWEBVIEW_FAIL", L"LH_FAKEWEBVIEW_BRIDGE"})
    SetVariable(name, L"");
  WriteFileBytes(RecordPath(), "");
  WriteFileBytes(ScriptPath(), "");
}

std::vector<std::string> RecordLinesStarting(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : RecordLines())
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  return found;
}

std::string WaitForRecord(const std::string& prefix, DWORD timeoutMs) {
  std::string found;
  WaitUntil(
      [&] {
        auto lines = RecordLinesStarting(prefix);
        if (lines.empty()) return false;
        found = lines.front();
        return true;
      },
      timeoutMs);
  return found;
}

void PageSays(const std::string& line) {
  HANDLE file = CreateFileW(ScriptPath().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, 0, nullptr);
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string FileUrl(const std::wstring& path) {
  wchar_t url[4096] = {};
  DWORD length = 4096;
  UrlCreateFromPathW(path.c_str(), url, &length, 0);
  return Utf8(url);
}

}  // namespace harness
