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

void SetMainTimers(MainTimers* timers) { gTimers = timers ? timers : &gNoTimers; }
MainTimers& Timers() { return *gTimers; }
