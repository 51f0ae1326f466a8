#pragma once
// Recovery after the graphics driver resets or removes the device.
#include "render/gpu_reset.h"

// After a second reset within five minutes: no device is created and no
// surface is made until ClearGpuResetStop.
bool RenderingStopped();
// From a reset until its rebuild timer fires, rebuilds list the screens (so
// the library keeps them and a pick lands in the settings) but make no device
// while the driver settles. True while stopped or waiting.
bool RenderingHeldBack();
// The rebuild timer fired: the wait is over.
void EndGpuResetWait();

// Throws the rendering state away, shows the system wallpaper and either
// rebuilds in 15 seconds or, after a second reset within five minutes, stops.
void HandleGpuReset();

// An apply from the library lifts a stop and forgets the count (the time of
// the last reset stays).
void ClearGpuResetStop();
