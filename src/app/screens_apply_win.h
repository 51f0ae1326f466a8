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
// Decides pause over the screens as they are now (pause_win.h carries it out).
void DecidePause();
