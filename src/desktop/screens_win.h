#pragma once
// The screens list and the saver list, and the surfaces drawn on them.
#include <windows.h>

#include "desktop/screen.h"

inline constexpr wchar_t kSurfaceClass[] = L"LumenhollowSurface";
inline constexpr wchar_t kSaverClass[] = L"LumenhollowSaver";

extern ScreenList gScreens;  // one record per monitor, the spanning record last
extern ScreenList gSavers;   // screensaver windows while screensaver mode runs
extern HWND gDesktopHost;    // the shell window that parents the surfaces; null without a shell

// Finds the monitors, appends one record each to the screens list, sorted.
void GatherScreens();
// The window for a record: a surface behind the icons, or a topmost
// screensaver window. Null when it cannot be made.
HWND CreateSurfaceWindow(const Screen& screen, bool saver);
// Destroys the record's renderer and window; the record stays.
void DestroySurface(Screen& screen);
// DestroySurface on every record of the screens list, then empties it.
void DestroyAllSurfaces();
// Has the shell repaint where a surface window disappeared.
void RefreshSystemWallpaper();
// True when the desktop host or a surface window vanished (the shell restarted).
bool DesktopVanished();

LRESULT CALLBACK SurfaceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
