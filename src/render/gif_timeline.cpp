#include "render/gif_timeline.h"

#include <algorithm>

void GifTimeline::Show(uint32_t index) {
  if (index >= delays_.size()) return;
  current_ = index;
  // The time the last frame stayed past its delay comes off this one, so
  // delays are kept on average rather than rounded up to whole ticks. At most
  // this frame's own delay is carried: after a stall the debt is dropped, and
  // no frame is hurried more than once.
  const double overshoot = std::min(std::max(-remaining_, 0.0), delays_[index]);
  remaining_ = delays_[index] - overshoot;
}

std::optional<uint32_t> GifTimeline::Advance(double seconds) {
  if (delays_.size() < 2) return std::nullopt;
  remaining_ -= seconds;
  if (remaining_ > 0.0) return std::nullopt;
  return static_cast<uint32_t>((current_ + 1) % delays_.size());
}
