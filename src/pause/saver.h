#pragma once
// Screensaver mode decisions: which wallpaper each saver window shows, when
// the mode starts from idleness, and when input or the preview's end closes it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "base/settings.h"

// IsUsableWallpaper for the current settings.
using UsablePredicate = std::function<bool(const std::u16string& path)>;

// The span path in span mode; else the screen's own assignment (even when it is
// not usable: then that screen gets no saver window); else the first usable
// assignment in key order; else nothing.
std::u16string PickSaverWallpaper(const Settings& settings, const std::u16string& key,
                                  const UsablePredicate& usable);

inline constexpr uint64_t kSaverGraceMs = 1500;
inline constexpr uint64_t kSaverPreviewMs = 6000;

struct SaverClock {
  uint32_t referenceInput = 0;  // the last-input tick compared against
  uint64_t start = 0;           // 64-bit tick at the start
  uint64_t end = 0;             // start + preview time, or 0 for no limit
  bool preview() const { return end != 0; }
};

// What keeps the screensaver from running: nobody can see it, or it would
// drain the battery all night.
struct SaverBar {
  bool locked = false;
  bool displayOff = false;
  bool onBattery = false;
};
// Locked, display off, or on battery with `pauseBattery`. A preview, which
// the user asked for, ignores the battery.
bool SaverBarred(const Settings& settings, const SaverBar& bar, bool preview);

SaverClock StartSaverClock(uint32_t lastInput, uint64_t now, bool preview);

// One look at the input (every 200 ms). Input during the grace time only moves
// the reference, since the movement that woke the mode is still settling.
// True when the mode must end now: new input, the preview's time is over, or
// it is `barred` (at once, grace or not).
bool SaverShouldEnd(SaverClock& clock, uint32_t lastInput, uint64_t now, bool barred = false);

// Milliseconds since the last input; the 32-bit tick difference stays right
// across the tick count's wrap after 49.7 days.
uint32_t IdleMilliseconds(uint32_t nowTick, uint32_t lastInputTick);

struct IdleFacts {
  uint32_t idleMs = 0;
  bool saverRunning = false;
  bool locked = false;
  bool userPaused = false;
  bool busy = false;  // IsBusyNotificationState
  bool displayOff = false;
  bool onBattery = false;
};

struct IdleVerdict {
  bool away = false;        // idle long enough with idle = 1
  bool startSaver = false;  // idle long enough with idle = 2 and nothing against it
};

IdleVerdict JudgeIdle(const Settings& settings, const IdleFacts& facts);

// What chooses the saver's wallpapers and whether they may be drawn.
struct SaverChoice {
  std::u16string mode;
  std::u16string span;
  AssignmentMap assignments;
  bool gpuEffects = false;
  bool operator==(const SaverChoice&) const = default;
};
SaverChoice TakeSaverChoice(const Settings& settings);

// A screensaver start that showed nothing is not tried again until there was
// input or the wallpapers it would choose changed: each try makes a topmost
// window and logs its failure, and idleness alone changes neither outcome.
struct SaverRetryGate {
  bool blocked = false;
  uint32_t lastInput = 0;  // last-input tick seen after the failed start
  SaverChoice choice;
};

bool SaverMayStart(const SaverRetryGate& gate, const Settings& settings, uint32_t lastInput);
// `shown` tells whether any saver window came up. `lastInput` is read after
// the attempt, so a system that counts window creation as input (Wine) does
// not read the attempt itself as new input.
void NoteSaverStart(SaverRetryGate& gate, bool shown, const Settings& settings, uint32_t lastInput);
