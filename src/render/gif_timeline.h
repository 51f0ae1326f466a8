#pragma once
// Which frame of an animated picture is on screen and when the next is due.
// Each frame's delay is known once it has been decoded; until then it counts
// as a tenth of a second.
#include <cstdint>
#include <optional>
#include <vector>

class GifTimeline {
 public:
  explicit GifTimeline(uint32_t frameCount = 0) : delays_(frameCount, 0.1) {}

  void SetDelay(uint32_t index, double seconds) {
    if (index < delays_.size()) delays_[index] = seconds;
  }
  // `index` goes on screen now; its delay starts, less the time the frame
  // before overstayed (capped at this frame's delay).
  void Show(uint32_t index);
  // Counts `seconds` off the frame on screen. Returns the frame due next once
  // the delay is over. A long stall shows the next frame, never skips one.
  std::optional<uint32_t> Advance(double seconds);

  uint32_t current() const { return current_; }
  const std::vector<double>& delays() const { return delays_; }

 private:
  std::vector<double> delays_;
  uint32_t current_ = 0;
  double remaining_ = 0.0;
};
