#pragma once
// Rebuilding the screens and applying one: the sequence that runs through the
// desktop, the renderers, the pause decision and the library page.
#include "desktop/screen.h"

// Tears down and rebuilds every screen and surface for the current settings.
void RebuildScreens();
// Recreates one record's surface from its current assignment.
void ApplyScreen(Screen& screen);
// Creates the window and renderer for the record's path: a surface behind the
// icons, or a topmost screensaver window.
bool CreateSurface(Screen& screen, bool saver);
// Starts the record's renderer in its window: after CreateSurface made the
// window, or after a stop released it. On failure logs and destroys the surface.
bool StartSurfaceRenderer(Screen& screen);
// Decides pause over the screens as they are now (pause_win.h carries it out),
// then lets paused renderers go in stop mode or brings released ones back.
void DecidePause();
