#pragma once
// The one pause decision, over facts the shell gathers from the system: a
// global reason shown to the user, and a paused or running state per screen.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"
#include "desktop/screen.h"
#include "pause/program_rules.h"

// In priority order: the first that applies is the reason.
enum class PauseReason {
  None,
  RenderingStopped,
  Screensaver,
  UserPaused,
  Away,
  Locked,
  DisplayOff,
  OnBattery,
  ProgramRule,  // a rule of the user's names a program that runs or has the foreground
  FullScreen,
};

// "" for None, else the text the tray tooltip and the library page show; for
// ProgramRule only its beginning, PauseReasonLine adds the name.
std::u16string_view PauseReasonText(PauseReason reason);

// Extended styles of windows that never hide the desktop: no-activate, tool
// and click-through windows (overlays, notifications, our own badges).
inline constexpr uint32_t kNeverCoversExStyle = 0x080000A0;

// One top-level window as the covered test sees it.
struct WindowFacts {
  std::u16string className;  // the first 64 characters at most
  bool visible = true;
  bool minimized = false;
  bool maximized = false;
  bool ownProcess = false;
  bool cloaked = false;
  uint32_t exStyle = 0;
  // Needed only when CanCoverDesktop is true, so the shell can skip the
  // rectangle queries for the rest.
  Rect rect;                // extended frame bounds, else the window rectangle
  void* monitor = nullptr;  // its nearest monitor; looked at only when maximized
};

struct ForegroundFacts {
  bool exists = false;
  std::u16string className;
  bool ownProcess = false;
  Rect rect;
  bool monitorKnown = false;  // the monitor information call succeeded
  Rect monitorRect;           // the whole monitor, not its work area
};

struct PauseFacts {
  bool pauseFullscreen = true;
  bool pauseCovered = true;
  bool pauseBattery = true;

  bool renderingStopped = false;
  bool saverRunning = false;  // the saver list is not empty
  bool userPaused = false;
  bool away = false;
  bool locked = false;
  bool displayOff = false;

  bool powerStatusKnown = false;  // the power status call succeeded
  uint8_t acLineStatus = 255;     // 0 offline, 1 online, 255 unknown

  bool notificationStateKnown = false;  // the user notification state call succeeded
  int32_t notificationState = 5;

  ForegroundFacts foreground;
  std::vector<WindowFacts> windows;  // top-level windows, top to bottom in z-order

  bool stopWhenPaused = false;
  std::vector<ProgramRule> rules;
  ProgramFacts programs;  // gathered only as far as NeedsOfRules asks
};

// Fills the switches and the program rules from the settings.
void TakePauseSettings(const Settings& settings, PauseFacts& facts);

// The desktop, its wallpaper hosts and the taskbars: never a reason to pause.
bool IsShellWindowClass(std::u16string_view className);

// Busy, running a full-screen Direct3D program, or presenting.
bool IsBusyNotificationState(bool known, int32_t state);

// Known and offline; an unknown line status is not battery.
bool IsOnBattery(bool known, uint8_t acLineStatus);

// Another process's window in the foreground whose rectangle holds its whole
// monitor (visibility deliberately not asked).
bool IsFullScreenForeground(const ForegroundFacts& foreground);

// The cheap filters of the covered test: hidden, minimized, shell, own,
// never-covering styles and cloaked windows are skipped.
bool CanCoverDesktop(const WindowFacts& window);

// One window's effect on the covered flags (indexed like `screens`): a record
// not yet covered and not spanning becomes covered when the window is
// maximized on its monitor, or alone hides at least 97 % of its work area.
void IsDesktopCovered(const WindowFacts& window, const ScreenList& screens, std::vector<bool>& covered);

// Covered flags for every record: the windows one by one, then every spanning
// record covered only when every monitor record is.
std::vector<bool> CoveredScreens(const ScreenList& screens, std::span<const WindowFacts> windows);

struct PauseDecision {
  PauseReason reason = PauseReason::None;
  std::vector<bool> covered;  // indexed like the screens list
  std::vector<bool> paused;   // reason or covered; meaningful for records with a renderer
  std::u16string program;     // the rule's program name for ProgramRule
  // The reason is a game or a program rule and the user chose to stop rather
  // than pause: paused renderers are released until the reason ends.
  bool release = false;
};

// The reason as the tray tooltip and the library page show it.
std::u16string PauseReasonLine(const PauseDecision& decision);

PauseDecision DecidePause(const PauseFacts& facts, const ScreenList& screens);

// Stores the covered flags and, for every record with a renderer whose paused
// state differs, stores it and calls SetPaused once. True when any record
// changed (the caller then schedules the working-set trim).
bool ApplyPauseDecision(ScreenList& screens, const PauseDecision& decision);
