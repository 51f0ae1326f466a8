#include "render/gpu_reset.h"

GpuResetAction CountGpuReset(GpuResetCounter& counter, uint64_t nowMs) {
  const bool withinWindow = counter.lastResetMs != 0 && nowMs - counter.lastResetMs < kGpuResetWindowMs;
  counter.count = withinWindow ? counter.count + 1 : 1;
  counter.lastResetMs = nowMs;
  return counter.count < 2 ? GpuResetAction::Retry : GpuResetAction::Stop;
}
