#include "app/gpu_recovery_win.h"

#include <windows.h>

#include "app/screens_apply_win.h"
#include "app/screensaver_win.h"
#include "base/log_win.h"
#include "base/main_timers.h"
#include "desktop/screens_win.h"
#include "render/graphics_win.h"

namespace {

bool gRenderingStopped = false;
GpuResetCounter gGpuResets;
bool gGpuResetWaiting = false;

}  // namespace

bool RenderingStopped() { return gRenderingStopped; }
bool RenderingHeldBack() { return gRenderingStopped || gGpuResetWaiting; }
void EndGpuResetWait() { gGpuResetWaiting = false; }

void HandleGpuReset() {
  // Cleared first: several renderers failing in one pass make one recovery.
  gDeviceLost = false;
  const GpuResetAction action = CountGpuReset(gGpuResets, GetTickCount64());
  // The saver windows draw with the same device: they go with the surfaces.
  if (ScreensaverRunning()) EndScreensaver();
  DestroyAllSurfaces();
  ReleaseDevice();
  RefreshSystemWallpaper();
  if (action == GpuResetAction::Retry) {
    LogLine(u"GPU reset; retrying in 15 seconds");
    // Replaces any rebuild already pending; its handler ends the wait.
    Timers().Arm(TIMER_REBUILD, kGpuRetryDelayMs);
    gGpuResetWaiting = true;
    RebuildScreens();
  } else {
    gGpuResetWaiting = false;
    gRenderingStopped = true;
    LogLine(u"GPU reset twice in 5 minutes; stopped rendering. Pick a wallpaper in the library to try again.");
    RebuildScreens();
  }
  // So the tooltip and the library say why nothing moves.
  DecidePause();
}

void ClearGpuResetStop() {
  gRenderingStopped = false;
  gGpuResets.count = 0;
}
