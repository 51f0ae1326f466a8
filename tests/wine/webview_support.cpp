#include "webview_support.h"

#include <shlwapi.h>

#include <cstdio>

#include "harness_win.h"

namespace webview_test {

namespace {

std::wstring TempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

}  // namespace

std::wstring RuntimeFolder() { return harness::BuildDir() + L"\\fakewebview\\140.0.3485.54"; }
// The runtime reads the record's name once per process, so it never changes.
std::wstring RecordPath() { return TempFile(L"lh-fakewebview-record.txt"); }
std::wstring ScriptPath() { return TempFile(L"lh-fakewebview-script.txt"); }

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
  harness::WriteFileBytes(RecordPath(), "");
  harness::WriteFileBytes(ScriptPath(), "");
}

std::vector<std::string> RecordLines() {
  std::vector<std::string> lines;
  const std::string bytes = harness::ReadFileBytes(RecordPath());
  if (bytes == "<missing>") return lines;
  size_t start = 0;
  for (size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(bytes.substr(start, end - start));
  return lines;
}

std::vector<std::string> RecordLinesStarting(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& line : RecordLines())
    if (line.compare(0, prefix.size(), prefix) == 0) found.push_back(line);
  return found;
}

std::string WaitForRecord(const std::string& prefix, DWORD timeoutMs) {
  std::string found;
  harness::WaitUntil(
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

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), static_cast<int>(out.size()), nullptr, nullptr);
  out.pop_back();
  return out;
}

std::string FileUrl(const std::wstring& path) {
  wchar_t url[4096] = {};
  DWORD length = 4096;
  UrlCreateFromPathW(path.c_str(), url, &length, 0);
  return Utf8(url);
}

std::string JsonQuote(const std::string& utf8) {
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

}  // namespace webview_test
