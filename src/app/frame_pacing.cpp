#include "app/frame_pacing.h"

#include <algorithm>

bool FramesNeeded(std::span<const FrameNeed> records) {
  return std::any_of(records.begin(), records.end(), [](const FrameNeed& r) {
    return r.needsFrames && !HoldsFrame(r.paused, r.ready);
  });
}

int32_t FramePeriodMs(int32_t fps) { return fps > 0 ? std::max(1, 1000 / fps) : 1000; }

FrameTimerAction DecideFrameTimer(bool need, const FrameTimerState& state, int32_t fps) {
  if (need) {
    return !state.armed || state.armedFps != fps ? FrameTimerAction::Arm : FrameTimerAction::Keep;
  }
  return state.armed ? FrameTimerAction::Cancel : FrameTimerAction::Keep;
}

double FrameDeltaSeconds(int64_t now, int64_t last, int64_t frequency) {
  if (frequency <= 0) return 0.0;
  const double dt = static_cast<double>(now - last) / static_cast<double>(frequency);
  return std::min(dt, 0.25);
}
