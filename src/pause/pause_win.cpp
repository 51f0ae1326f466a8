#include "pause/pause_win.h"

#include <windows.h>
#include <dwmapi.h>
#include <shellapi.h>

#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "pause/pause_policy.h"
#include "pause/saver.h"
#include "render/graphics_win.h"
#include "render/gpu_reset_win.h"

UserPauseFacts gUserFacts;

namespace {

std::u16string gPauseReason;
SaverClock gSaverClock;
SaverRetryGate gSaverRetry;

uint32_t LastInputTick() {
  LASTINPUTINFO input{sizeof input, 0};
  GetLastInputInfo(&input);
  return input.dwTime;
}

std::u16string ClassName(HWND window) {
  wchar_t name[65] = {};
  GetClassNameW(window, name, 65);
  return U16(name);
}

bool OwnedByUs(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId();
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK GatherWindow(HWND window, LPARAM data) {
  auto& windows = *reinterpret_cast<std::vector<WindowFacts>*>(data);
  WindowFacts w;
  w.visible = IsWindowVisible(window);
  w.minimized = IsIconic(window);
  w.className = ClassName(window);
  w.ownProcess = OwnedByUs(window);
  w.exStyle = static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
  DWORD cloaked = 0;
  w.cloaked = SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
  // Rectangles only for windows that pass the cheap filters.
  if (CanCoverDesktop(w)) {
    RECT r{};
    if (FAILED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r))) GetWindowRect(window, &r);
    w.rect = ToRect(r);
    w.maximized = IsZoomed(window);
    if (w.maximized) w.monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  }
  windows.push_back(std::move(w));
  return TRUE;
}

ForegroundFacts GatherForeground() {
  ForegroundFacts f;
  HWND window = GetForegroundWindow();
  if (!window) return f;
  f.exists = true;
  f.className = ClassName(window);
  f.ownProcess = OwnedByUs(window);
  RECT r{};
  GetWindowRect(window, &r);
  f.rect = ToRect(r);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  f.monitorKnown = GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  f.monitorRect = ToRect(info.rcMonitor);
  return f;
}

PauseFacts GatherPauseFacts() {
  PauseFacts facts;
  TakePauseSettings(gSettings, facts);
  facts.renderingStopped = gRenderingStopped;
  facts.saverRunning = !gSavers.empty();
  facts.userPaused = gUserFacts.userPaused;
  facts.away = gUserFacts.away;
  facts.locked = gUserFacts.locked;
  facts.displayOff = gUserFacts.displayOff;
  if (facts.pauseBattery) {
    SYSTEM_POWER_STATUS power{};
    facts.powerStatusKnown = GetSystemPowerStatus(&power);
    facts.acLineStatus = power.ACLineStatus;
  }
  if (facts.pauseFullscreen) {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    facts.notificationStateKnown = SUCCEEDED(SHQueryUserNotificationState(&state));
    facts.notificationState = state;
    facts.foreground = GatherForeground();
  }
  if (facts.pauseCovered) EnumWindows(GatherWindow, reinterpret_cast<LPARAM>(&facts.windows));
  return facts;
}

}  // namespace

void EndScreensaver() {
  for (auto& saver : gSavers) DestroySurface(*saver);
  gSavers.clear();
  Timers().Stop(TIMER_SAVER);
  DecidePause();
  Timers().Arm(TIMER_TRIM, 2000);
}

const std::u16string& CurrentPauseReason() { return gPauseReason; }
bool ScreensaverRunning() { return !gSavers.empty(); }

void DecidePause() {
  const PauseDecision decision = DecidePause(GatherPauseFacts(), gScreens);
  std::u16string reason(PauseReasonText(decision.reason));
  if (reason != gPauseReason) TracePauseReason(reason);
  gPauseReason = std::move(reason);
  const bool changed = ApplyPauseDecision(gScreens, decision);
  Timers().UpdateFrameTimer();
  if (changed) Timers().Arm(TIMER_TRIM, 2000);
}

void StartScreensaver(bool preview) {
  // A lost device, or none while a reset waits for its rebuild, would give
  // the savers a device that is about to be released.
  if (!gSavers.empty() || gRenderingStopped || gDeviceLost || !gGraphics.device) return;
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
  return SaverBar{gUserFacts.locked, gUserFacts.displayOff, IsOnBattery(known, power.ACLineStatus)};
}

void WatchScreensaverInput() {
  if (gSavers.empty()) return;
  const bool barred = SaverBarred(gSettings, GatherSaverBar(), gSaverClock.preview());
  if (SaverShouldEnd(gSaverClock, LastInputTick(), GetTickCount64(), barred)) EndScreensaver();
}
