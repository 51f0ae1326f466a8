#pragma once
// Counting GPU resets: one is retried, a second within five minutes stops
// rendering until the user picks a wallpaper again.
#include <cstdint>
#include <string>

inline constexpr uint64_t kGpuResetWindowMs = 300000;
inline constexpr uint32_t kGpuRetryDelayMs = 15000;

struct GpuResetCounter {
  uint64_t lastResetMs = 0;  // tick count of the last reset; 0 before the first
  uint32_t count = 0;        // resets within the window
};

enum class GpuResetAction { Retry, Stop };

// Counts a reset at `nowMs` (milliseconds since boot) and says what to do.
GpuResetAction CountGpuReset(GpuResetCounter& counter, uint64_t nowMs);

enum class DeviceStep { Use, Create, Recover };

// What making sure of a device does. A device the driver removed is never
// replaced in place: renderers still hold it and objects made from it, so it
// goes through reset recovery, which destroys them first.
DeviceStep DecideDeviceStep(bool exists, bool removed);

// The log line for a device manager that would not take a new device.
std::u16string FormatResetDeviceFailure(uint32_t hr);
