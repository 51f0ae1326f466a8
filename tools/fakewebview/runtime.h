#pragma once
// The test runtime's shared pieces: where it records what it is asked, how it
// completes work later through the host thread's message loop, and its
// settings, all read from environment variables:
//   LH_FAKEWEBVIEW_RECORD         file that receives one UTF-8 line per call of interest
//   LH_FAKEWEBVIEW_SCRIPT         file of page messages, read as lines are appended
//   LH_FAKEWEBVIEW_BRIDGE         TCP port: page messages come from the bridge instead
//   LH_FAKEWEBVIEW_ENV_DELAY_MS   how long an environment takes to arrive (default 0)
//   LH_FAKEWEBVIEW_CONTROLLER_DELAY_MS  the same for a controller (default 0)
//   LH_FAKEWEBVIEW_FAIL           "sync": creation fails at once; "async": it completes with E_FAIL
#include <windows.h>

#include <functional>
#include <string>

class PageChannel;

namespace fakewebview {

std::string Utf8(const wchar_t* text);
std::wstring Wide(const std::string& utf8);
std::string Variable(const char* name);  // empty when unset
int VariableNumber(const char* name, int fallback);

// Appends `line` to the record file (nothing without LH_FAKEWEBVIEW_RECORD).
void Record(const std::string& line);

// Runs `task` on the thread that started the runtime, from its message loop,
// after `delayMs`. Safe from any thread.
void Later(std::function<void()> task, unsigned delayMs = 0);

// Starts the runtime on the calling thread: its message window and its page channel.
void StartOnThisThread();

PageChannel* Channel();  // the page side: scripted or bridged

// A JSON string literal of `utf8`.
std::string JsonString(const std::string& utf8);

}  // namespace fakewebview
