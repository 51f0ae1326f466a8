#include "render/gif_timeline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Ticks a timeline as the renderer does and records each frame it shows.
std::vector<uint32_t> Play(GifTimeline& timeline, const std::vector<double>& ticks) {
  std::vector<uint32_t> shown;
  timeline.Show(0);
  for (double seconds : ticks) {
    if (auto next = timeline.Advance(seconds)) {
      timeline.Show(*next);
      shown.push_back(*next);
    }
  }
  return shown;
}

}  // namespace

TEST(GifTimeline, ShowsEachFrameForItsDelayAndWraps) {
  struct Case {
    const char* name;
    std::vector<double> delays;
    std::vector<double> ticks;
    std::vector<uint32_t> shown;
  };
  const Case cases[] = {
      {"even delays", {0.25, 0.25, 0.25}, {0.125, 0.125, 0.25, 0.25}, {1, 2, 0}},
      {"a long frame holds", {0.5, 0.25}, {0.25, 0.125, 0.125, 0.25}, {1, 0}},
      {"due exactly at the delay", {0.25, 0.25}, {0.25}, {1}},
      {"a stall shows the next frame, not a later one", {0.1, 0.1, 0.1}, {2.0}, {1}},
      {"an overstay comes off the next frame", {0.25, 0.5, 0.25}, {0.375, 0.375}, {1, 2}},
      {"after a stall one frame is hurried, then the pace is kept",
       {0.25, 0.25, 0.25, 0.25},
       {1.0, 0.125, 0.125, 0.125},
       {1, 2, 3}},
  };
  for (const Case& c : cases) {
    GifTimeline timeline(static_cast<uint32_t>(c.delays.size()));
    for (uint32_t i = 0; i < c.delays.size(); ++i) timeline.SetDelay(i, c.delays[i]);
    EXPECT_EQ(Play(timeline, c.ticks), c.shown) << c.name;
  }
}

TEST(GifTimeline, UndecodedFramesLastATenthAndStillPicturesNeverAdvance) {
  GifTimeline fresh(2);
  EXPECT_EQ(Play(fresh, {0.09}), std::vector<uint32_t>{});
  EXPECT_EQ(Play(fresh, {0.1}), std::vector<uint32_t>{1});

  GifTimeline still(1);
  EXPECT_EQ(Play(still, {5.0, 5.0}), std::vector<uint32_t>{});
  EXPECT_EQ(still.current(), 0u);

  GifTimeline outOfRange(2);
  outOfRange.SetDelay(7, 1.0);
  outOfRange.Show(7);
  EXPECT_EQ(outOfRange.current(), 0u) << "an index past the end changes nothing";
}
