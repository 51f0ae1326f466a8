#pragma once
// Driving the test web-view runtime (tools/fakewebview) from the Wine tests:
// where it is, its record of what it was asked, and the script of page
// messages it delivers.
#include <windows.h>

#include <string>
#include <vector>

namespace webview_test {

constexpr wchar_t kStableChannel[] = L"{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";

// The versioned folder the build lays the runtime out in.
std::wstring RuntimeFolder();
std::wstring RecordPath();
std::wstring ScriptPath();

// Points this process (and every program it starts from now) at the runtime
// through the override variable, or at nothing; empties record and script.
void UseRuntimeThroughVariable(bool on);
// Sets or clears a variable of this process (empty value clears it).
void SetVariable(const wchar_t* name, const std::wstring& value);

std::vector<std::string> RecordLines();
// Waits until a record line starts with `prefix`; returns it ("" on timeout).
std::string WaitForRecord(const std::string& prefix, DWORD timeoutMs = 10000);
// Every record line starting with `prefix`, in order.
std::vector<std::string> RecordLinesStarting(const std::string& prefix);
// The page posts a message: "string <text>", "json <json>", "drop <text>\t<path>".
void PageSays(const std::string& line);

std::string Utf8(const std::wstring& text);
std::string FileUrl(const std::wstring& path);
// The JSON literal the program writes for `text`.
std::string JsonQuote(const std::string& utf8);

}  // namespace webview_test
