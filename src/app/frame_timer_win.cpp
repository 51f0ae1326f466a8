#include "app/frame_timer_win.h"

#include <vector>

#include "app/app_state_win.h"
#include "base/trace_win.h"
#include "desktop/screens_win.h"
#include "app/gpu_recovery_win.h"
#include "render/graphics_win.h"

namespace {

std::vector<FrameNeed> GatherFrameNeeds() {
  std::vector<FrameNeed> needs;
  for (const auto& s : gScreens)
    if (s->renderer) needs.push_back({s->renderer->NeedsFrames(), s->paused, s->renderer->ready});
  for (const auto& s : gSavers)
    if (s->renderer) needs.push_back({s->renderer->NeedsFrames(), false, s->renderer->ready});
  return needs;
}

// Fixed at boot, so asked once.
int64_t QpcFrequency() {
  static const int64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f.QuadPart;
  }();
  return frequency;
}

}  // namespace

void UpdateFrameTimer() {
  const std::vector<FrameNeed> needs = GatherFrameNeeds();
  FrameTimerState& state = gShell.frameTimerState;
  switch (DecideFrameTimer(FramesNeeded(needs), state, gSettings.fps)) {
    case FrameTimerAction::Arm: {
      LARGE_INTEGER due;
      due.QuadPart = -1;  // relative: fire at once, then every period
      SetWaitableTimerEx(gShell.frameTimer.get(), &due, FramePeriodMs(gSettings.fps), nullptr, nullptr, nullptr, 0);
      state = {true, gSettings.fps};
      break;
    }
    case FrameTimerAction::Cancel:
      CancelWaitableTimer(gShell.frameTimer.get());
      state.armed = false;
      break;
    case FrameTimerAction::Keep:
      break;
  }
}

void RunFrame() {
  TraceFrameTick();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const double dt = FrameDeltaSeconds(now.QuadPart, gShell.lastFrameCounter, QpcFrequency());
  gShell.lastFrameCounter = now.QuadPart;
  bool becameReady = false;
  for (const auto& s : gScreens) {
    if (!s->renderer || HoldsFrame(s->paused, s->renderer->ready)) continue;
    const bool wasReady = s->renderer->ready;
    s->renderer->Tick(dt);
    becameReady |= !wasReady && s->renderer->ready;
  }
  for (const auto& s : gSavers)
    if (s->renderer) s->renderer->Tick(dt);
  if (becameReady) UpdateFrameTimer();
  if (gDeviceLost) HandleGpuReset();
}
