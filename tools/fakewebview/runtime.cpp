#include "runtime.h"

#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "page_channel.h"

namespace fakewebview {

// web_objects.cpp
void DeliverToPages(const PageMessage& message);
void RaisePageRequest(const std::string& kind, const std::string& detail);
void WatchUninitialize();

namespace {

constexpr UINT WM_RUN_TASKS = WM_APP + 1;
constexpr UINT_PTR kScriptTimer = 1;
constexpr wchar_t kWindowClass[] = L"FakeWebViewRuntime";

// Reads page messages from the script file as lines are appended to it:
//   string <text>              the page posts a string
//   json <json>                the page posts any other JSON value
//   drop <text>\t<path>...     a string with dropped files attached
//   newwindow <url>            a web wallpaper asks for a pop-up window
//   download <path>            a web wallpaper starts a download
//   permission <kind number>   a web wallpaper asks for a permission
class ScriptChannel final : public PageChannel {
 public:
  ScriptChannel(PageSink& sink, std::wstring path) : sink_(sink), path_(std::move(path)) {}
  void SendToPage(const std::string&) override {}
  void Poll() {
    if (path_.empty()) return;
    HANDLE file = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    LARGE_INTEGER size{};
    GetFileSizeEx(file, &size);
    if (size.QuadPart < static_cast<LONGLONG>(offset_)) offset_ = 0;  // the test started a new script
    std::string bytes(static_cast<size_t>(size.QuadPart) - offset_, '\0');
    LARGE_INTEGER at{};
    at.QuadPart = static_cast<LONGLONG>(offset_);
    DWORD read = 0;
    SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(file);
    bytes.resize(read);
    size_t start = 0;
    for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
      std::string line = bytes.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      Deliver(line);
    }
    offset_ += start;
  }

 private:
  void Deliver(const std::string& line) {
    const size_t space = line.find(' ');
    const std::string kind = line.substr(0, space);
    std::string payload = space == std::string::npos ? "" : line.substr(space + 1);
    PageMessage message;
    message.isString = kind != "json";
    if (kind == "drop") {
      size_t tab = payload.find('\t');
      message.utf8 = payload.substr(0, tab);
      while (tab != std::string::npos) {
        const size_t next = payload.find('\t', tab + 1);
        message.files.push_back(Wide(payload.substr(tab + 1, next == std::string::npos ? next : next - tab - 1)));
        tab = next;
      }
    } else if (kind == "string" || kind == "json") {
      message.utf8 = payload;
    } else if (kind == "newwindow" || kind == "download" || kind == "permission") {
      Later([kind, payload] { RaisePageRequest(kind, payload); });
      return;
    } else {
      return;
    }
    sink_.Deliver(std::move(message));
  }

  PageSink& sink_;
  std::wstring path_;
  size_t offset_ = 0;
};

class HostThreadSink final : public PageSink {
 public:
  void Deliver(PageMessage message) override {
    auto shared = std::make_shared<PageMessage>(std::move(message));
    Later([shared] { DeliverToPages(*shared); });
  }
};

struct State {
  HWND window = nullptr;
  std::mutex lock;
  std::vector<std::function<void()>> ready;          // run at the next WM_RUN_TASKS
  std::map<UINT_PTR, std::function<void()>> timed;  // by timer id, host thread only
  UINT_PTR nextTimer = 100;
  HostThreadSink sink;
  std::unique_ptr<PageChannel> channel;
  ScriptChannel* script = nullptr;
};

State& S() {
  static State* state = new State();  // lives as long as the process: the DLL is pinned
  return *state;
}

void RunReadyTasks() {
  std::vector<std::function<void()>> tasks;
  {
    std::lock_guard<std::mutex> hold(S().lock);
    tasks.swap(S().ready);
  }
  for (auto& task : tasks) task();
}

LRESULT CALLBACK RuntimeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_RUN_TASKS) {
    RunReadyTasks();
    return 0;
  }
  if (message == WM_TIMER) {
    if (wParam == kScriptTimer) {
      if (S().script) S().script->Poll();
      return 0;
    }
    KillTimer(window, wParam);
    auto it = S().timed.find(wParam);
    if (it == S().timed.end()) return 0;
    auto task = std::move(it->second);
    S().timed.erase(it);
    task();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

std::string Utf8(const wchar_t* text) {
  if (!text || !*text) return {};
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), bytes, nullptr, nullptr);
  out.pop_back();
  return out;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), units);
  return out;
}

std::string Variable(const char* name) {
  wchar_t value[4096] = {};
  const DWORD length = GetEnvironmentVariableW(Wide(name).c_str(), value, 4096);
  return length && length < 4096 ? Utf8(value) : std::string();
}

int VariableNumber(const char* name, int fallback) {
  const std::string text = Variable(name);
  return text.empty() ? fallback : atoi(text.c_str());
}

void Record(const std::string& line) {
  static const std::wstring path = Wide(Variable("LH_FAKEWEBVIEW_RECORD"));
  if (path.empty()) return;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void Later(std::function<void()> task, unsigned delayMs) {
  State& s = S();
  if (delayMs > 0 && GetWindowThreadProcessId(s.window, nullptr) == GetCurrentThreadId()) {
    const UINT_PTR id = s.nextTimer++;
    s.timed[id] = std::move(task);
    SetTimer(s.window, id, delayMs, nullptr);
    return;
  }
  {
    std::lock_guard<std::mutex> hold(s.lock);
    s.ready.push_back(std::move(task));
  }
  PostMessageW(s.window, WM_RUN_TASKS, 0, 0);
}

void StartOnThisThread() {
  State& s = S();
  if (s.window) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = RuntimeWindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassW(&wc);
  s.window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  WatchUninitialize();
  const int port = VariableNumber("LH_FAKEWEBVIEW_BRIDGE", 0);
  if (port > 0) s.channel = MakeBridgeChannel(port, s.sink);
  if (!s.channel) {
    auto script = std::make_unique<ScriptChannel>(s.sink, Wide(Variable("LH_FAKEWEBVIEW_SCRIPT")));
    s.script = script.get();
    s.channel = std::move(script);
    SetTimer(s.window, kScriptTimer, 25, nullptr);
  }
  Record(port > 0 && !s.script ? "channel bridge" : "channel script");
}

PageChannel* Channel() { return S().channel.get(); }

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

}  // namespace fakewebview
