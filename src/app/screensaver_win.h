#pragma once
// Screensaver mode: saver windows on every monitor drawing the wallpapers
// full screen until input, with the pause decision around it.
#include "pause/saver.h"

// Screensaver mode on every monitor; a preview ends by itself after 6 s.
void StartScreensaver(bool preview);
// Destroys the saver windows and stops watching input; also run before a GPU
// reset releases the device the savers draw with.
void EndScreensaver();
// The TIMER_SAVER action: ends the mode on input, at the preview's end, or
// once the session is locked, the display off or (pauseBattery) on battery;
// also run at once when one of these changes.
void WatchScreensaverInput();
// The lock, display and power facts that bar the screensaver.
SaverBar GatherSaverBar();
bool ScreensaverRunning();
