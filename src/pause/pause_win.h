#pragma once
// The pause decision and screensaver mode, carried out on the real system.
#include <string>

#include "pause/saver.h"

// Facts the main window records from the tray, the idle check and the
// session and power notifications.
struct UserPauseFacts {
  bool userPaused = false;
  bool away = false;
  bool locked = false;
  bool displayOff = false;
};
extern UserPauseFacts gUserFacts;

// Empty, or the text of the reason everything is paused.
const std::u16string& CurrentPauseReason();

// Gathers the facts, decides, pushes SetPaused on change and paces frames.
void DecidePause();
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
