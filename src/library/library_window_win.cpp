#include "library/library_window_win.h"

#include "app/app_state_win.h"
#include "library/library_host_win.h"
#include "library/library_window_geometry.h"

namespace {
HWND gLibraryWindow = nullptr;
}

// The web view with the page comes with the library host; the window itself
// already opens, reuses and closes as it will then.
void OpenLibraryWindow() {
  if (gLibraryWindow) {
    ShowWindow(gLibraryWindow, SW_RESTORE);
    SetForegroundWindow(gLibraryWindow);
    return;
  }
  POINT cursor{};
  GetCursorPos(&cursor);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info);
  const RECT& w = info.rcWork;
  const Rect r = LibraryWindowRect({w.left, w.top, w.right, w.bottom}, static_cast<int>(GetDpiForSystem()));
  gLibraryWindow = CreateWindowExW(0, kLibraryClass, L"Lumenhollow", WS_OVERLAPPEDWINDOW, r.left, r.top,
                                   r.right - r.left, r.bottom - r.top, nullptr, nullptr, gApp.instance, nullptr);
  if (!gLibraryWindow) return;
  ShowWindow(gLibraryWindow, SW_SHOW);
  SetForegroundWindow(gLibraryWindow);
}

bool LibraryWindowExists() { return gLibraryWindow != nullptr; }

LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY && window == gLibraryWindow) {
    gLibraryWindow = nullptr;
    // The list is only needed while the page shows it; the next state rescans.
    ReleaseLibraryList();
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
