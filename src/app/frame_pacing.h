#pragma once
// The rules that pace wallpaper frames, apart from the waitable timer itself.
#include <cstdint>
#include <span>

// What one screen or saver record tells the frame timer.
struct FrameNeed {
  bool needsFrames;  // Renderer::NeedsFrames()
  bool paused;       // the record is paused (always false for saver records)
  bool ready;        // Renderer::ready
};

// A paused renderer that has shown its first frame holds it: it is not ticked.
inline bool HoldsFrame(bool paused, bool ready) { return paused && ready; }

// True when some record must be ticked: it animates and is not both paused
// and ready (a paused renderer still gets frames until it shows its first).
bool FramesNeeded(std::span<const FrameNeed> records);

// The timer period in milliseconds: max(1, 1000 / fps).
int32_t FramePeriodMs(int32_t fps);

struct FrameTimerState {
  bool armed = false;
  int32_t armedFps = 0;
};

enum class FrameTimerAction { Keep, Arm, Cancel };

// Arm when needed and not armed or armed at another rate; cancel when no
// longer needed; otherwise leave the running timer alone.
FrameTimerAction DecideFrameTimer(bool need, const FrameTimerState& state, int32_t fps);

// Seconds between two performance-counter readings, capped at a quarter second
// so a stall never makes an animation jump.
double FrameDeltaSeconds(int64_t now, int64_t last, int64_t frequency);
