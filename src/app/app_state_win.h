#pragma once
// State of the application shell itself, owned by the main thread. What the
// layers below read lives in base/: gApp (app_facts_win.h) and gSettings.
#include <windows.h>

#include <cstdint>

#include "app/frame_pacing.h"
#include "base/app_facts_win.h"
#include "base/handles_win.h"
#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "pause/pause_win.h"

inline constexpr wchar_t kMainClass[] = L"LumenhollowMain";
inline constexpr wchar_t kInstanceMutex[] = L"Local\\LumenhollowSingleInstance";

struct ShellState {
  bool trayStart = false;
  bool firstRun = false;
  UniqueHandle instanceMutex;
  UINT taskbarCreatedMsg = 0;
  UniqueIcon bigIcon;
  UniqueIcon smallIcon;
  UniqueHandle frameTimer;
  UniqueWinEventHook windowEventHooks[3];
  UniquePowerNotify displayStateNotify;
  UserPauseFacts userFacts;  // what DecidePause weighs besides the system
  FrameTimerState frameTimerState;
  int64_t lastFrameCounter = 0;
  PassTimer trim;  // TIMER_TRIM: the working-set trim, taken by the housekeeping pass
};

extern ShellState gShell;
