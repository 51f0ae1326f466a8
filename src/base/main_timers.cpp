#include "base/main_timers.h"

namespace {

class NoTimers final : public MainTimers {
 public:
  void Arm(uintptr_t, uint32_t) override {}
  void Stop(uintptr_t) override {}
  void UpdateFrameTimer() override {}
};

NoTimers gNoTimers;
MainTimers* gTimers = &gNoTimers;

}  // namespace

void PassTimer::Arm(uint32_t now, uint32_t ms) {
  due_ = now + ms;
  armed_ = true;
}

bool PassTimer::TakeIfDue(uint32_t now) {
  // The signed difference is right across the wrap for spans under 24 days.
  if (!armed_ || static_cast<int32_t>(now - due_) < 0) return false;
  armed_ = false;
  return true;
}

void SetMainTimers(MainTimers* timers) { gTimers = timers ? timers : &gNoTimers; }
MainTimers& Timers() { return *gTimers; }
