#include "pause/usage_win.h"

#include <windows.h>
#include <psapi.h>

namespace {

UsageFigures gUsage;

uint64_t Ticks(const FILETIME& t) { return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }
}  // namespace

const UsageFigures& CurrentUsage() { return gUsage; }

void UpdateUsageFigures() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimeAsFileTime(&now);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof counters;
  K32GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                          sizeof counters);
  AddUsageSample(gUsage, Ticks(kernel) + Ticks(user), Ticks(now), info.dwNumberOfProcessors,
                 counters.PrivateUsage);
}
