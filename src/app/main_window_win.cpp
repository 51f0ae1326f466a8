#include "app/main_window_win.h"

#include <windows.h>
#include <shellapi.h>
#include <wtsapi32.h>

#include "app/app_state_win.h"
#include "app/autostart_win.h"
#include "app/bake_progress_win.h"
#include "app/frame_timer_win.h"
#include "app/gpu_recovery_win.h"
#include "app/housekeeping_win.h"
#include "app/rotation_win.h"
#include "app/screens_apply_win.h"
#include "app/screensaver_win.h"
#include "app/tray_win.h"
#include "base/log_win.h"
#include "base/settings_store_win.h"
#include "bake/bake_thread_win.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "library/library_window_win.h"
#include "pause/badges_win.h"
#include "pause/pause_win.h"

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
      gShell.userFacts.userPaused = !gShell.userFacts.userPaused;
      DecidePause();
      SendState();
      break;
    case kCommandStartWithWindows:
      SetStartWithWindows(!StartsWithWindows());
      SendState();
      break;
    case kCommandNextWallpaper:
      UpdateRotations(true);
      break;
    case kCommandExit:
      DestroyWindow(gApp.mainWindow);
      break;
    default:
      break;
  }
}

void OnTimer(UINT_PTR id) {
  switch (id) {
    case TIMER_HOUSEKEEPING:
      Housekeeping();
      break;
    case TIMER_REBUILD:
      Timers().Stop(id);
      EndGpuResetWait();
      RebuildScreens();
      break;
    case TIMER_REDECIDE:
      Timers().Stop(id);
      DecidePause();
      break;
    case TIMER_SAVER:
      WatchScreensaverInput();
      break;
    case TIMER_BADGES:
      RemoveMonitorBadges();
      break;
    case TIMER_SAVE_SETTINGS:
      Timers().Stop(id);
      SaveSettings();
      break;
    case TIMER_ROTATE:
      UpdateRotations(false);
      break;
    default:
      break;
  }
}

void OnPowerBroadcast(WPARAM event, LPARAM data) {
  switch (event) {
    case PBT_APMPOWERSTATUSCHANGE:
      WatchScreensaverInput();
      DecidePause();
      break;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      Timers().Arm(TIMER_REBUILD, 2000);
      break;
    case PBT_POWERSETTINGCHANGE: {
      const auto* setting = reinterpret_cast<const POWERBROADCAST_SETTING*>(data);
      if (setting && setting->PowerSetting == kConsoleDisplayState && setting->DataLength > 0) {
        // 0 off, 1 on, 2 dimmed: a dimmed display is still on.
        gShell.userFacts.displayOff = *reinterpret_cast<const DWORD*>(setting->Data) == 0;
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
      ShowTrayMenu(static_cast<short>(LOWORD(wParam)), static_cast<short>(HIWORD(wParam)),
                   gShell.userFacts.userPaused, StartsWithWindows(), !gSettings.rotations.empty());
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
    Timers().Arm(TIMER_REBUILD, 1500);
    return 0;
  }
  switch (message) {
    case WM_DESTROY:
      OnDestroy();
      return 0;
    case WM_DISPLAYCHANGE:
      Timers().Arm(TIMER_REBUILD, 1500);
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      OnTimer(wParam);
      return 0;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(wParam, lParam);
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      if (wParam == WTS_SESSION_LOCK) gShell.userFacts.locked = true;
      if (wParam == WTS_SESSION_UNLOCK) gShell.userFacts.locked = false;
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
    case WM_APP_LIBRARY_VIEW:
      TakeLibraryView();
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
    // The trim never needs its own wake-up: a still desktop would wake for
    // nothing else between housekeeping passes.
    if (id == TIMER_TRIM) gShell.trim.Arm(GetTickCount(), ms);
    else if (gApp.mainWindow) SetTimer(gApp.mainWindow, id, ms, nullptr);
  }
  void Stop(uintptr_t id) override { KillTimer(gApp.mainWindow, id); }
  void UpdateFrameTimer() override { ::UpdateFrameTimer(); }
};

}  // namespace

MainTimers& MainWindowTimers() {
  static WindowTimers timers;
  return timers;
}
