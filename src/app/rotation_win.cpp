#include "app/rotation_win.h"

#include <windows.h>

#include <random>

#include "app/screens_apply_win.h"
#include "base/log_win.h"
#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "desktop/rotation.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"

namespace {

// SetTimer takes at most about 24.8 days; a day is plenty, the pass re-arms.
constexpr int64_t kLongestWaitSeconds = 24 * 60 * 60;

std::u16string RotationKey(const Screen& screen) { return screen.spanning ? u"span" : screen.key; }

// The records that show a wallpaper now: the spanning one in span mode, else the monitors.
bool Showing(const Screen& screen) {
  bool spanning = false;
  for (const auto& s : gScreens) spanning |= s->spanning;
  return screen.spanning == spanning;
}

}  // namespace

int64_t UnixNow() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  const uint64_t ticks = (uint64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime;
  return static_cast<int64_t>(ticks / 10000000ULL) - 11644473600LL;
}

uint32_t RotationRandomBelow(uint32_t bound) {
  static std::mt19937 engine(static_cast<uint32_t>(GetTickCount64() ^ (uint64_t{GetCurrentProcessId()} << 16)));
  return std::uniform_int_distribution<uint32_t>(0, bound - 1)(engine);
}

void UpdateRotations(bool advanceAll) {
  const int64_t now = UnixNow();
  const UsableWallpaper usable = [](const std::u16string& path) { return IsUsableWallpaper(path); };
  std::vector<std::u16string> keys;
  std::vector<Screen*> changed;
  bool stopped = false;
  for (auto& screen : gScreens) {
    const auto found = gSettings.rotations.find(RotationKey(*screen));
    if (found == gSettings.rotations.end() || !Showing(*screen)) continue;
    Rotation& rotation = found->second;
    keys.push_back(found->first);
    SetRotationPaused(rotation, screen->paused && !advanceAll, now);
    if (!advanceAll && !RotationDue(rotation, now)) continue;
    const RotationStep step = AdvanceRotation(rotation, now, usable, RotationRandomBelow);
    for (const std::u16string& path : step.skipped) LogLine(RotationSkipMessage(path));
    if (step.path.empty()) {
      LogLine(RotationStoppedMessage(found->first));
      stopped = true;
      continue;
    }
    (screen->spanning ? gSettings.span : gSettings.assignments[screen->key]) = step.path;
    changed.push_back(screen.get());
  }
  // Saved before the surfaces change, as a page command does.
  if (stopped || !changed.empty()) SaveSettings();
  for (Screen* screen : changed) ApplyScreen(*screen);
  if (!changed.empty()) {
    DecidePause();
    SendState();
  }
  const int64_t wait = SecondsToNextChange(gSettings.rotations, keys, now);
  if (wait < 0)
    Timers().Stop(TIMER_ROTATE);
  else
    Timers().Arm(TIMER_ROTATE, static_cast<uint32_t>(std::min(wait, kLongestWaitSeconds) * 1000 + 50));
}
