#pragma once
// The screens list and the saver list, and the surfaces drawn on them.
#include <windows.h>

#include "desktop/screen.h"

inline constexpr wchar_t kSurfaceClass[] = L"LumenhollowSurface";
inline constexpr wchar_t kSaverClass[] = L"LumenhollowSaver";

extern ScreenList gScreens;  // one record per monitor, the spanning record last
extern ScreenList gSavers;   // screensaver windows while screensaver mode runs
extern HWND gDesktopHost;    // the shell window that parents the surfaces; null without a shell

// Tears down and rebuilds every screen and surface for the current settings.
void RebuildScreens();
// Recreates one record's surface from its current assignment.
void ApplyScreen(Screen& screen);
// Creates the window and renderer for the record's path: a surface behind the
// icons, or a topmost screensaver window.
bool CreateSurface(Screen& screen, bool saver);
// Starts the record's renderer again in its window after a stop released it.
bool RestartRenderer(Screen& screen);
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
