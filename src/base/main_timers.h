#pragma once
// The main window's timers belong to app/; the layers below arm and stop them
// through this interface, which app/ registers at start-up. Main thread only.
#include <cstdint>

inline constexpr uintptr_t TIMER_HOUSEKEEPING = 1;
inline constexpr uintptr_t TIMER_REBUILD = 2;
inline constexpr uintptr_t TIMER_REDECIDE = 3;
inline constexpr uintptr_t TIMER_TRIM = 4;
inline constexpr uintptr_t TIMER_SAVER = 5;
inline constexpr uintptr_t TIMER_BADGES = 6;
inline constexpr uintptr_t TIMER_SAVE_SETTINGS = 7;
inline constexpr uintptr_t TIMER_ROTATE = 8;  // the earliest due rotation change

class MainTimers {
 public:
  virtual ~MainTimers() = default;
  // (Re)starts timer `id` on the main window: it fires every `ms` until stopped
  // (the one-shot timers stop themselves when they fire).
  virtual void Arm(uintptr_t id, uint32_t ms) = 0;
  virtual void Stop(uintptr_t id) = 0;
  // Arms, re-arms or cancels the frame timer from what the renderers need now.
  virtual void UpdateFrameTimer() = 0;
};

// A one-shot timer served by the once-a-second housekeeping pass: the first
// pass at or after its due time takes it, so it never wakes the program on its
// own and runs at most one pass late. Times are tick counts in milliseconds,
// which wrap after 49.7 days.
class PassTimer {
 public:
  // Re-arming restarts it, so a burst of requests gives one run.
  void Arm(uint32_t now, uint32_t ms);
  // True once, at the first call at or after the due time.
  bool TakeIfDue(uint32_t now);

 private:
  uint32_t due_ = 0;
  bool armed_ = false;
};

// Until something is registered (and after SetMainTimers(nullptr)) the calls do nothing.
void SetMainTimers(MainTimers* timers);
MainTimers& Timers();
