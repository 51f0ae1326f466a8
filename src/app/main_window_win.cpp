#include "app/main_window_win.h"

#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include "app/app_state_win.h"
#include "app/autostart_win.h"
#include "app/bake_progress_win.h"
#include "app/frame_timer_win.h"
#include "app/tray_win.h"
#include "base/log_win.h"
#include "base/settings_store_win.h"
#include "bake/bake_thread_win.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "library/library_window_win.h"
#include "pause/badges_win.h"
#include "pause/pause_policy.h"
#include "pause/pause_win.h"
#include "pause/saver.h"
#include "pause/usage_win.h"
#include "render/graphics_win.h"
#include "render/gpu_reset_win.h"

namespace {

void OnDestroy() {
  bool hadSurface = false;
  for (const auto& screen : gScreens) hadSurface |= screen->window != nullptr;
  DestroyAllSurfaces();
  if (hadSurface) RefreshSystemWallpaper();
  for (auto& saver : gSavers) DestroySurface(*saver);
  gSavers.clear();
  RemoveMonitorBadges();
  CancelAndJoinBake();
  RemoveTrayIcon();
  WTSUnRegisterSessionNotification(gApp.mainWindow);
  PostQuitMessage(0);
}

void OnCommand(UINT id) {
  switch (id) {
    case kCommandOpenLibrary:
      OpenLibraryWindow();
      break;
    case kCommandPauseAll:
      gUserFacts.userPaused = !gUserFacts.userPaused;
      DecidePause();
      SendState();
      break;
    case kCommandStartWithWindows:
      SetStartWithWindows(!StartsWithWindows());
      SendState();
      break;
    case kCommandExit:
      DestroyWindow(gApp.mainWindow);
      break;
    default:
      break;
  }
}

bool ShellIsBusy() {
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;  // a failed call counts as not busy
  SHQueryUserNotificationState(&state);
  return IsBusyNotificationState(true, state);
}

void Housekeeping() {
  CheckDeviceRemoved();
  LASTINPUTINFO input{sizeof input, 0};
  GetLastInputInfo(&input);
  const SaverBar bar = GatherSaverBar();
  IdleFacts idle{IdleMilliseconds(GetTickCount(), input.dwTime), ScreensaverRunning(), bar.locked,
                 gUserFacts.userPaused, false, bar.displayOff, bar.onBattery};
  IdleVerdict verdict = JudgeIdle(gSettings, idle);
  if (verdict.away != gUserFacts.away) {
    gUserFacts.away = verdict.away;
    DecidePause();
  }
  // The notification state is only worth asking when the saver would start.
  if (verdict.startSaver) {
    idle.busy = ShellIsBusy();
    if (JudgeIdle(gSettings, idle).startSaver) StartScreensaver(false);
  }
  if (gDeviceLost) HandleGpuReset();
  if (DesktopVanished()) {
    LogLine(u"explorer restarted or desktop changed; re-attaching");
    DestroyAllSurfaces();
    RebuildScreens();
  }
  DecidePause();
  UpdateUsageFigures();
  SetTrayTip(FormatTrayTip(gUsage.cpuPercent, gUsage.privateBytes, !CurrentPauseReason().empty()));
  if (LibraryWindowExists()) SendState();
}

void OnTimer(HWND window, UINT_PTR id) {
  switch (id) {
    case TIMER_HOUSEKEEPING:
      Housekeeping();
      break;
    case TIMER_REBUILD:
      KillTimer(window, id);
      gGpuResetWaiting = false;
      RebuildScreens();
      break;
    case TIMER_REDECIDE:
      KillTimer(window, id);
      DecidePause();
      break;
    case TIMER_TRIM:
      KillTimer(window, id);
      SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
      break;
    case TIMER_SAVER:
      WatchScreensaverInput();
      break;
    case TIMER_BADGES:
      RemoveMonitorBadges();
      break;
    case TIMER_SAVE_SETTINGS:
      KillTimer(window, id);
      SaveSettings();
      break;
    default:
      break;
  }
}

void OnPowerBroadcast(HWND window, WPARAM event, LPARAM data) {
  switch (event) {
    case PBT_APMPOWERSTATUSCHANGE:
      WatchScreensaverInput();
      DecidePause();
      break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      SetTimer(window, TIMER_REBUILD, 2000, nullptr);
      break;
    case PBT_POWERSETTINGCHANGE: {
      const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
      if (setting && setting->PowerSetting == kConsoleDisplayState && setting->DataLength > 0) {
        // 0 off, 1 on, 2 dimmed: a dimmed display is still on.
        gUserFacts.displayOff = *reinterpret_cast<const DWORD*>(setting->Data) == 0;
        WatchScreensaverInput();
        DecidePause();
      }
      break;
    }
    default:
      break;
  }
}

void OnTrayCallback(WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(lParam)) {
    case WM_CONTEXTMENU:
      ShowTrayMenu(static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam)), gUserFacts.userPaused,
                   StartsWithWindows());
      break;
    case NIN_SELECT:
    case NIN_KEYSELECT:
      OpenLibraryWindow();
      break;
    default:
      break;
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (gShell.taskbarCreatedMsg != 0 && message == gShell.taskbarCreatedMsg) {
    AddTrayIcon();
    SetTimer(window, TIMER_REBUILD, 1500, nullptr);
    return 0;
  }
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_DISPLAYCHANGE:
      SetTimer(window, TIMER_REBUILD, 1500, nullptr);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(window, wParam);
      return 0;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(window, wParam, lParam);
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      if (wParam == WTS_SESSION_LOCK) gUserFacts.locked = true;
      if (wParam == WTS_SESSION_UNLOCK) gUserFacts.locked = false;
      WatchScreensaverInput();
      DecidePause();
      return 0;
    case WM_APP_TRAY:
      OnTrayCallback(wParam, lParam);
      return 0;
    case WM_APP_OPEN_LIBRARY:
      OpenLibraryWindow();
      return 0;
    case WM_APP_BAKE_PROGRESS:
      DrainBakeProgress();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

namespace {

class WindowTimers final : public MainTimers {
 public:
  // Without the window SetTimer would make a thread timer that no one handles.
  void Arm(uintptr_t id, uint32_t ms) override {
    if (gApp.mainWindow) SetTimer(gApp.mainWindow, id, ms, nullptr);
  }
  void Stop(uintptr_t id) override { KillTimer(gApp.mainWindow, id); }
  void UpdateFrameTimer() override { ::UpdateFrameTimer(); }
};

}  // namespace

MainTimers& MainWindowTimers() {
  static WindowTimers timers;
  return timers;
}
