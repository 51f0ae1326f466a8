#include "app/tray_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cwchar>

#include "app/app_state_win.h"
#include "app/main_window_win.h"
#include "base/wide_win.h"

namespace {

NOTIFYICONDATAW gTray{};
std::u16string gLastTip;

void FillIdentity() {
  gTray.cbSize = sizeof gTray;
  gTray.hWnd = gApp.mainWindow;
  gTray.uID = 1;
}

}  // namespace

void AddTrayIcon() {
  gTray = {};
  FillIdentity();
  gTray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  gTray.uCallbackMessage = WM_APP_TRAY;
  gTray.hIcon = gShell.smallIcon.get();
  wcscpy_s(gTray.szTip, L"Lumenhollow");
  Shell_NotifyIconW(NIM_ADD, &gTray);
  gTray.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &gTray);
  // The shell forgot the old tip with the old icon; send the next one again.
  gLastTip.clear();
}

void RemoveTrayIcon() {
  FillIdentity();
  Shell_NotifyIconW(NIM_DELETE, &gTray);
}

void ShowTrayMenu(int x, int y, bool userPaused, bool startsWithWindows, bool rotating) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, kCommandOpenLibrary, L"Open library");
  AppendMenuW(menu, MF_STRING | (userPaused ? MF_CHECKED : 0), kCommandPauseAll, L"Pause all");
  AppendMenuW(menu, MF_STRING | (rotating ? 0 : MF_GRAYED), kCommandNextWallpaper, L"Next wallpaper");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | (startsWithWindows ? MF_CHECKED : 0), kCommandStartWithWindows,
              L"Start with Windows");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, kCommandExit, L"Exit");
  SetMenuDefaultItem(menu, kCommandOpenLibrary, FALSE);
  // Without the foreground the menu would not close when the user clicks elsewhere.
  SetForegroundWindow(gApp.mainWindow);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, x, y, 0, gApp.mainWindow, nullptr);
  DestroyMenu(menu);
}

void SetTrayTip(const std::u16string& text) {
  if (text == gLastTip) return;
  gLastTip = text;
  FillIdentity();
  gTray.uFlags = NIF_TIP | NIF_SHOWTIP;
  wcsncpy_s(gTray.szTip, ARRAYSIZE(gTray.szTip), W(text), _TRUNCATE);
  Shell_NotifyIconW(NIM_MODIFY, &gTray);
}
