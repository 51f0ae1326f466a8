#include "render/gif_timeline.h"

void GifTimeline::Show(uint32_t index) {
  if (index >= delays_.size()) return;
  current_ = index;
  remaining_ = delays_[index];
}

std::optional<uint32_t> GifTimeline::Advance(double seconds) {
  if (delays_.size() < 2) return std::nullopt;
  remaining_ -= seconds;
  if (remaining_ > 0.0) return std::nullopt;
  return static_cast<uint32_t>((current_ + 1) % delays_.size());
}
