#include "harness_win.h"

#include <mfapi.h>
#include <objbase.h>
#include <psapi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
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

void RemoveTree(const std::wstring& path) {
  std::wstring from = path;
  from.push_back(L'\0');  // SHFileOperation wants a double-zero-terminated list
  SHFILEOPSTRUCTW op{};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_NO_UI;
  SHFileOperationW(&op);
}

std::wstring SettingsPath() { return DataDir() + L"\\lumenhollow.ini"; }

std::wstring TempPath(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const std::wstring& path) {
  const UniqueHandle file = OwnFile(CreateFileW(path.c_str(), GENERIC_READ,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
  if (!file) return "<missing>";
  std::string bytes(GetFileSize(file.get(), nullptr), '\0');
  DWORD read = 0;
  if (!bytes.empty()) ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) { WriteWholeFile(U16(path.c_str()), bytes); }

std::string Utf8(const std::wstring& text) { return Utf16ToUtf8(U16(text.c_str())); }

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
  return n;
}

std::string ProgramLog() { return ReadFileBytes(DataDir() + L"\\log.txt"); }

std::string ReadLog() { return ReadFileBytes(W(gApp.dataDir + u"\\log.txt")); }

namespace {

// The path Wine gives a Linux file.
std::u16string FromLinux(const std::string& unixPath) {
  std::u16string path = Utf8ToUtf16("Z:" + unixPath);
  std::replace(path.begin(), path.end(), u'/', u'\\');
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
  process_.reset(pi.hProcess);
  pid_ = pi.dwProcessId;
}

void App::Kill() {
  if (Running()) {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 5000);
  }
  process_.reset();
}

DWORD App::WaitExit(DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (process_ && WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.get(), &code);
  return code;
}

HWND FindProcessWindow(const wchar_t* className, DWORD pid) {
  for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w;
       w = FindWindowExW(nullptr, w, className, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (pid == 0 || owner == pid) return w;
  }
  return nullptr;
}

bool LoadsModule(DWORD pid, const wchar_t* name) {
  UniqueHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid));
  HMODULE modules[512];
  DWORD bytes = 0;
  if (!process || !K32EnumProcessModulesEx(process.get(), modules, sizeof modules, &bytes, LIST_MODULES_ALL))
    return false;
  for (DWORD i = 0; i < std::min<DWORD>(bytes / sizeof(HMODULE), 512); ++i) {
    wchar_t base[MAX_PATH] = {};
    if (K32GetModuleBaseNameW(process.get(), modules[i], base, MAX_PATH) && _wcsicmp(base, name) == 0) return true;
  }
  return false;
}

HWND WaitForWindow(const wchar_t* className, DWORD pid, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil([&] { return (found = FindProcessWindow(className, pid)) != nullptr; }, timeoutMs);
  return found;
}

DWORD ExitThroughTray(App& app) {
  PostMessageW(FindProcessWindow(kMainClass, app.Pid()), WM_COMMAND, 4, 0);
  return app.WaitExit(10000);
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
  // Wine starts Linux programs directly.
  std::string line = "/bin/sh -c \"" + command + "\"";
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  const std::u16string done = FromLinux(doneFile);
  return WaitUntil([&] { return GetFileAttributesW(W(done)) != INVALID_FILE_ATTRIBUTES; }, timeoutMs);
}

void WritePicture(const std::wstring& path, int width, int height, const std::function<uint32_t(int x, int y)>& rgb,
                  const GUID& container, int pages) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  ComPtr<IWICImagingFactory> wic;
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&wic))) ||
      FAILED(wic->CreateStream(&stream)) || FAILED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) ||
      FAILED(wic->CreateEncoder(container, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)))
    return;
  std::vector<uint32_t> pixels(size_t(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) pixels[size_t(y) * width + x] = 0xFF000000u | rgb(x, y);
  for (int page = 0; page < pages; ++page) {
    ComPtr<IWICBitmapFrameEncode> frame;
    ComPtr<IPropertyBag2> options;
    if (FAILED(encoder->CreateNewFrame(&frame, &options)) || FAILED(frame->Initialize(options.Get()))) return;
    frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGRA;
    frame->SetPixelFormat(&format);
    frame->WritePixels(height, width * 4, width * height * 4, reinterpret_cast<BYTE*>(pixels.data()));
    frame->Commit();
  }
  encoder->Commit();
}

namespace {

void Put16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

// LZW with a clear code every 64 literals and a minimum code size of 7, so
// every code is one byte: big, but every decoder reads it.
std::string LzwLiterals(uint8_t index, size_t count) {
  std::string codes;
  for (size_t i = 0; i < count; ++i) codes += i % 64 ? std::string(1, char(index)) : std::string{'\x80', char(index)};
  codes += '\x81';
  std::string blocks(1, '\7');
  for (size_t i = 0; i < codes.size(); i += 255) {
    const size_t n = std::min<size_t>(255, codes.size() - i);
    blocks += static_cast<char>(n) + codes.substr(i, n);
  }
  return blocks + '\0';
}

}  // namespace

std::string MakeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<GifFrame>& frames) {
  std::string out = "GIF89a";
  Put16(out, screenWidth);
  Put16(out, screenHeight);
  out += std::string("\xA2\0\0", 3);  // a global palette of 8 entries
  out += std::string("\0\0\0\xFF\0\0\0\xFF\0\0\0\xFF\xFF\xFF\xFF", 15) + std::string(9, '\0');
  for (const GifFrame& f : frames) {
    if (f.writeControl) {
      out += "\x21\xF9\x04" + std::string(1, static_cast<char>(f.disposal << 2));
      Put16(out, f.delay);
      out += std::string(2, '\0');
    }
    out += '\x2C';
    for (uint16_t v : {f.left, f.top, f.width, f.height}) Put16(out, v);
    out += '\0';
    out += LzwLiterals(f.index, size_t(f.width) * f.height);
  }
  return out + '\x3B';
}

bool Shot::Take(const RECT& area) {
  static int counter = 0;
  const std::string unixPath = ScratchDir().unixDir + "/shot" + std::to_string(++counter);
  width = area.right - area.left;
  height = area.bottom - area.top;
  // The finished file appears by rename, so a half-written one is never read.
  const std::string crop = std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(area.left) +
                           "+" + std::to_string(area.top);
  return RunLinux("import -window root -crop " + crop + " -depth 8 rgb:" + unixPath + ".tmp && mv " + unixPath +
                      ".tmp " + unixPath + ".rgb",
                  unixPath + ".rgb", 20000) &&
         ReadWholeFile(FromLinux(unixPath + ".rgb"), rgb_) && rgb_.size() == size_t(width) * height * 3;
}

Rgb Shot::At(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return {-1, -1, -1};
  const auto* p = reinterpret_cast<const uint8_t*>(&rgb_[(size_t(y) * width + x) * 3]);
  return {p[0], p[1], p[2]};
}

testing::AssertionResult Near(const Rgb& got, int r, int g, int b, int tolerance) {
  if (abs(got.r - r) <= tolerance && abs(got.g - g) <= tolerance && abs(got.b - b) <= tolerance)
    return testing::AssertionSuccess();
  return testing::AssertionFailure() << "got (" << got.r << ", " << got.g << ", " << got.b << ")";
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
  savedMainWindow_ = gApp.mainWindow;
  ownMainWindow_ = true;
  gApp.instance = GetModuleHandleW(nullptr);
  gApp.mainWindow = CreateWindowExW(0, kTestWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
}

std::wstring RuntimeFolder() { return BuildDir() + L"\\fakewebview\\140.0.3485.54"; }

namespace {

// The runtime reads the record's name once per process, so it never changes.
std::wstring RecordPath() { return TempPath(L"lh-fakewebview-record.txt"); }
std::wstring ScriptPath() { return TempPath(L"lh-fakewebview-script.txt"); }

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
  const std::string bytes = ReadFileBytes(RecordPath());
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    if (bytes.compare(start, prefix.size(), prefix) == 0) found.push_back(bytes.substr(start, end - start));
  return found;
}

std::string WaitForRecord(const std::string& prefix, size_t nth, DWORD timeoutMs) {
  std::vector<std::string> lines;
  WaitUntil([&] { return (lines = RecordLinesStarting(prefix)).size() > nth; }, timeoutMs);
  return lines.size() > nth ? lines[nth] : "";
}

std::string RecordId(const std::string& line) {
  const size_t at = line.find(' ') + 1;
  return line.substr(at, line.find(' ', at) - at);
}

void PageSays(const std::string& line) {
  const UniqueHandle file = OwnFile(CreateFileW(ScriptPath().c_str(), FILE_APPEND_DATA,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0, nullptr));
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

std::string FileUrl(const std::wstring& path) {
  wchar_t url[4096] = {};
  DWORD length = 4096;
  UrlCreateFromPathW(path.c_str(), url, &length, 0);
  return Utf8(url);
}

}  // namespace harness
