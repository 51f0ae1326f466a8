#pragma once
// Screensaver mode: saver windows on every monitor drawing the wallpapers
// full screen until input, with the pause decision around it.

// Screensaver mode on every monitor; a preview ends by itself after 6 s.
void StartScreensaver(bool preview);
// Destroys the saver windows and stops watching input; also run before a GPU
// reset releases the device the savers draw with.
void EndScreensaver();
// The TIMER_SAVER action: ends the mode on input or at the preview's end.
void WatchScreensaverInput();
bool ScreensaverRunning();
