#include "app/main_window_win.h"

#include "app/app_state_win.h"
#include "app/settings_store_win.h"
#include "app/tray_win.h"
#include "bake/bake_thread_win.h"
#include "desktop/screens_win.h"
#include "library/library_window_win.h"
#include "pause/badges_win.h"

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
  PostQuitMessage(0);
}

void OnCommand(UINT id) {
  switch (id) {
    case kCommandOpenLibrary:
      OpenLibraryWindow();
      break;
    case kCommandExit:
      DestroyWindow(gApp.mainWindow);
      break;
    default:
      break;
  }
}

void OnTimer(HWND window, UINT_PTR id) {
  switch (id) {
    case TIMER_REBUILD:
      KillTimer(window, id);
      RebuildScreens();
      break;
    case TIMER_TRIM:
      KillTimer(window, id);
      SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
      break;
    case TIMER_SAVE_SETTINGS:
      KillTimer(window, id);
      SaveSettings();
      break;
    default:
      break;
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (gApp.taskbarCreatedMsg != 0 && message == gApp.taskbarCreatedMsg) {
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
    case WM_APP_OPEN_LIBRARY:
      OpenLibraryWindow();
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
