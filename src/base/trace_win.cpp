#include "base/trace_win.h"

#include <windows.h>
#include <psapi.h>

#include <string>

#include "base/log_win.h"
#include "base/text.h"

namespace {

bool gTracing = false;
bool gPresented = false;

uint64_t Ticks(const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

// Private bytes and the working set: Wine reports no private bytes, Windows
// both.
struct Memory {
  int64_t privateBytes = 0, workingSet = 0;
};

Memory MemoryNow() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  if (!K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                               sizeof counters))
    return {};
  return {static_cast<int64_t>(counters.PrivateUsage), static_cast<int64_t>(counters.WorkingSetSize)};
}

int64_t Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

std::u16string Number(int64_t value) { return AsciiToUtf16(std::to_string(value)); }

std::u16string Growth(int64_t from, int64_t to) {
  const int64_t kib = (to - from) / 1024;
  std::u16string text = Number(kib) + u" KiB";
  if (kib >= 0) text.insert(text.begin(), u'+');
  return text;
}

}  // namespace

void TraceStart() {
  wchar_t value[8];
  gTracing = GetEnvironmentVariableW(L"LH_TRACE", value, 8) > 0;
}

void TraceFirstPresent() {
  if (!gTracing || gPresented) return;
  gPresented = true;
  FILETIME creation, exitTime, kernel, user, now;
  if (!GetProcessTimes(GetCurrentProcess(), &creation, &exitTime, &kernel, &user)) return;
  GetSystemTimePreciseAsFileTime(&now);
  // FILETIME counts 100 ns. CPU time stays meaningful on a busy machine.
  const uint64_t ms = (Ticks(now) - Ticks(creation)) / 10000;
  const uint64_t cpuMs = (Ticks(kernel) + Ticks(user)) / 10000;
  LogLine(u"trace: first present " + AsciiToUtf16(std::to_string(ms)) + u" ms after process start, " +
          AsciiToUtf16(std::to_string(cpuMs)) + u" ms CPU");
}

void TraceFrameTick() {
  if (gTracing) LogLine(u"trace: frame tick");
}

void TraceWake() {
  if (gTracing) LogLine(u"trace: wake");
}

void TracePauseReason(const std::u16string& reason) {
  if (gTracing) LogLine(reason.empty() ? u"trace: playing" : u"trace: paused: " + reason);
}

TraceSpan::TraceSpan(const char16_t* name) {
  if (!gTracing) return;
  name_ = name;
  const Memory memory = MemoryNow();
  startPrivate_ = memory.privateBytes;
  startWorkingSet_ = memory.workingSet;
  startCounter_ = Counter();
}

TraceSpan::~TraceSpan() {
  if (!name_) return;
  const int64_t elapsed = Counter() - startCounter_;
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const Memory memory = MemoryNow();
  LogLine(u"trace: step " + std::u16string(name_) + u" " + Number(elapsed * 1000 / frequency.QuadPart) +
          u" ms, private " + Growth(startPrivate_, memory.privateBytes) + u", working set " +
          Growth(startWorkingSet_, memory.workingSet));
}
