#include "base/trace_win.h"

#include <windows.h>

#include <string>

#include "base/log_win.h"
#include "base/text.h"

namespace {

bool gTracing = false;
bool gPresented = false;

uint64_t Ticks(const FILETIME& time) { return (uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime; }

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

void TracePauseReason(const std::u16string& reason) {
  if (gTracing) LogLine(reason.empty() ? u"trace: playing" : u"trace: paused: " + reason);
}

void TraceRenderers(bool released, int count) {
  if (gTracing && count > 0)
    LogLine((released ? u"trace: renderers released: " : u"trace: renderers restarted: ") +
            AsciiToUtf16(std::to_string(count)));
}
