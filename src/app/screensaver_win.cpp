#include "app/screensaver_win.h"

#include <windows.h>

#include "app/app_state_win.h"
#include "app/gpu_recovery_win.h"
#include "app/screens_apply_win.h"
#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "pause/pause_policy.h"
#include "pause/saver.h"
#include "render/graphics_win.h"

namespace {

SaverClock gSaverClock;
SaverRetryGate gSaverRetry;

uint32_t LastInputTick() {
  LASTINPUTINFO input{sizeof input, 0};
  GetLastInputInfo(&input);
  return input.dwTime;
}

}  // namespace

void EndScreensaver() {
  for (auto& saver : gSavers) DestroySurface(*saver);
  gSavers.clear();
  Timers().Stop(TIMER_SAVER);
  DecidePause();
  Timers().Arm(TIMER_TRIM, 2000);
}

bool ScreensaverRunning() { return !gSavers.empty(); }

void StartScreensaver(bool preview) {
  // A lost device, or none while a reset waits for its rebuild, would give
  // the savers a device that is about to be released.
  if (!gSavers.empty() || RenderingStopped() || gDeviceLost || !gGraphics.device) return;
  if (!preview && !SaverMayStart(gSaverRetry, gSettings, LastInputTick())) return;
  if (!EnsureDevice()) return;
  const UsablePredicate usable = [](const std::u16string& path) { return IsUsableWallpaper(path); };
  for (const auto& screen : gScreens) {
    if (screen->spanning) continue;
    auto saver = std::make_unique<Screen>();
    saver->bounds = screen->bounds;
    saver->key = screen->key;
    saver->path = PickSaverWallpaper(gSettings, screen->key, usable);
    if (saver->path.empty() || !IsUsableWallpaper(saver->path)) continue;
    // In the list before its renderer starts: a web view whose environment
    // exists is asked for at once, and its answer looks for its owner there.
    gSavers.push_back(std::move(saver));
    if (!CreateSurface(*gSavers.back(), true)) gSavers.pop_back();
  }
  NoteSaverStart(gSaverRetry, !gSavers.empty(), gSettings, LastInputTick());
  if (gSavers.empty()) return;
  gSaverClock = StartSaverClock(LastInputTick(), GetTickCount64(), preview);
  Timers().Arm(TIMER_SAVER, 200);
  DecidePause();
}

SaverBar GatherSaverBar() {
  SYSTEM_POWER_STATUS power{};
  const bool known = GetSystemPowerStatus(&power);
  return SaverBar{gShell.userFacts.locked, gShell.userFacts.displayOff, IsOnBattery(known, power.ACLineStatus)};
}

void WatchScreensaverInput() {
  if (gSavers.empty()) return;
  const bool barred = SaverBarred(gSettings, GatherSaverBar(), gSaverClock.preview());
  if (SaverShouldEnd(gSaverClock, LastInputTick(), GetTickCount64(), barred)) EndScreensaver();
}
