#pragma once
// Recovery after the graphics driver resets or removes the device.
#include "render/gpu_reset.h"

// While set, no device is created and no surface is made.
extern bool gRenderingStopped;
extern GpuResetCounter gGpuResets;
// Set from a reset until its rebuild timer fires: rebuilds meanwhile list the
// screens (so the library keeps them and a pick lands in the settings) but
// make no device, since the driver is still settling.
extern bool gGpuResetWaiting;

// No device and no surface may be made now: stopped, or waiting after a reset.
inline bool RenderingHeldBack() { return gRenderingStopped || gGpuResetWaiting; }

// Throws the rendering state away, shows the system wallpaper and either
// rebuilds in 15 seconds or, after a second reset within five minutes, stops.
void HandleGpuReset();

// An apply from the library lifts a stop and forgets the count (the time of
// the last reset stays).
void ClearGpuResetStop();
