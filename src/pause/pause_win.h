#pragma once
// The pause decision, carried out on the real system.
#include <string>

#include "desktop/screen.h"

// Facts the main window keeps from the tray, the idle check and the
// session and power notifications.
struct UserPauseFacts {
  bool userPaused = false;
  bool away = false;
  bool locked = false;
  bool displayOff = false;
};

// Empty, or the text of the reason everything is paused.
const std::u16string& CurrentPauseReason();

// Gathers the facts, decides over `screens`, pushes SetPaused on change and
// paces frames. True when the paused screens' renderers are to be released
// (stop mode), false when released ones may start again.
bool DecidePause(ScreenList& screens, const UserPauseFacts& user, bool saverRunning, bool renderingStopped);
