#pragma once
// The screens list and the saver list, and the surfaces drawn on them.
#include <windows.h>

#include "desktop/screen.h"

extern ScreenList gScreens;  // one record per monitor, the spanning record last
extern ScreenList gSavers;   // screensaver windows while screensaver mode runs

// Tears down and rebuilds every screen and surface for the current settings.
void RebuildScreens();
// Destroys the record's renderer and window; the record stays.
void DestroySurface(Screen& screen);
// DestroySurface on every record of the screens list, then empties it.
void DestroyAllSurfaces();
// Has the shell repaint where a surface window disappeared.
void RefreshSystemWallpaper();

LRESULT CALLBACK SurfaceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
