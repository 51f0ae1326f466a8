#include "render/gpu_reset.h"

#include <cstdio>

GpuResetAction CountGpuReset(GpuResetCounter& counter, uint64_t nowMs) {
  const bool withinWindow = counter.lastResetMs != 0 && nowMs - counter.lastResetMs < kGpuResetWindowMs;
  counter.count = withinWindow ? counter.count + 1 : 1;
  counter.lastResetMs = nowMs;
  return counter.count < 2 ? GpuResetAction::Retry : GpuResetAction::Stop;
}

DeviceStep DecideDeviceStep(bool exists, bool removed) {
  if (!exists) return DeviceStep::Create;
  return removed ? DeviceStep::Recover : DeviceStep::Use;
}

std::u16string FormatResetDeviceFailure(uint32_t hr) {
  char text[64];
  std::snprintf(text, sizeof text, "video device manager ResetDevice failed hr 0x%08x", static_cast<unsigned>(hr));
  return std::u16string(text, text + std::char_traits<char>::length(text));
}
