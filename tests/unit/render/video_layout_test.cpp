// Where a video frame lands: fit into a destination rectangle with bars, or
// fill through a cropped source rectangle with the screen's pan and zoom.
#include <gtest/gtest.h>

#include "render/placement.h"

namespace {

// The source rectangle, in the video's normalised coordinates.
void ExpectSource(const VideoLayout& l, float left, float top, float right, float bottom) {
  EXPECT_FLOAT_EQ(l.left, left);
  EXPECT_FLOAT_EQ(l.top, top);
  EXPECT_FLOAT_EQ(l.right, right);
  EXPECT_FLOAT_EQ(l.bottom, bottom);
}

TEST(ComputeFitDestinationTest, CentresTheLargestRectangleOfTheVideosAspect) {
  struct Case {
    uint32_t srcW, srcH, dstW, dstH;
    Rect want;
  };
  const Case cases[] = {
      {1280, 720, 1920, 1200, {0, 60, 1920, 1140}},    // bars above and below
      {1920, 1080, 1920, 1080, {0, 0, 1920, 1080}},    // same aspect: the whole target
      {1080, 1920, 1920, 1080, {656, 0, 1263, 1080}},  // portrait on landscape: bars left and right
      {640, 480, 1000, 1000, {0, 125, 1000, 875}},
      {1000, 1000, 1001, 500, {250, 0, 750, 500}},     // an odd margin truncates toward the left
      {1, 1, 3, 2, {0, 0, 2, 2}},                      // tiny: the same truncation, no negative sides
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.srcW << "x" << c.srcH << " on " << c.dstW << "x" << c.dstH);
    const Rect r = ComputeFitDestination(c.srcW, c.srcH, c.dstW, c.dstH);
    EXPECT_EQ(r, c.want) << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom;
    EXPECT_GE(r.left, 0);
    EXPECT_GE(r.top, 0);
    EXPECT_LE(r.right, static_cast<int32_t>(c.dstW));
    EXPECT_LE(r.bottom, static_cast<int32_t>(c.dstH));
  }
}

TEST(ComputeFitDestinationTest, StaysInsideTheTargetForEveryWidth) {
  // A scale that rounds up a hair must not push the rectangle past the edge.
  for (uint32_t w = 1; w < 2000; w += 7) {
    const Rect r = ComputeFitDestination(w, 1079, 1917, 1080);
    ASSERT_LE(r.right, 1917) << w;
    ASSERT_LE(r.bottom, 1080) << w;
    ASSERT_GE(r.left, 0) << w;
    ASSERT_GE(r.top, 0) << w;
  }
}

TEST(ComputeFitDestinationTest, ZeroSizesGiveTheWholeTarget) {
  EXPECT_EQ(ComputeFitDestination(0, 720, 1920, 1080), (Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(ComputeFitDestination(1280, 0, 1920, 1080), (Rect{0, 0, 1920, 1080}));
  EXPECT_EQ(ComputeFitDestination(1280, 720, 0, 1080), (Rect{0, 0, 0, 1080}));
}

TEST(ComputeVideoLayoutTest, FitLetterboxesAndIgnoresTheFrame) {
  FrameMap frames;
  frames[u"D1"] = {0.1f, 0.1f, 3.0f};
  const VideoLayout l = ComputeVideoLayout(true, frames, u"D1", 1280, 720, 1920, 1200);
  EXPECT_EQ(l.destination, (Rect{0, 60, 1920, 1140}));
  ExpectSource(l, 0.0f, 0.0f, 1.0f, 1.0f);
}

TEST(ComputeVideoLayoutTest, FillCropsToTheSurfaceAndFollowsTheScreensFrame) {
  const FrameMap none;
  // Landscape video on a portrait surface: a centred band 0.316 wide.
  VideoLayout l = ComputeVideoLayout(false, none, u"D1", 1920, 1080, 1080, 1920);
  EXPECT_EQ(l.destination, (Rect{0, 0, 1080, 1920}));
  EXPECT_NEAR(l.right - l.left, 0.31640625f, 1e-6f);
  EXPECT_NEAR(l.left + l.right, 1.0f, 1e-6f) << "centred";
  EXPECT_FLOAT_EQ(l.top, 0.0f);
  EXPECT_FLOAT_EQ(l.bottom, 1.0f);

  FrameMap frames;
  frames[u"D1"] = {0.9f, 0.5f, 2.0f};
  l = ComputeVideoLayout(false, frames, u"D1", 1920, 1080, 1920, 1080);
  ExpectSource(l, 0.5f, 0.25f, 1.0f, 0.75f);
  // Another screen's frame does not apply.
  l = ComputeVideoLayout(false, frames, u"D2", 1920, 1080, 1920, 1080);
  EXPECT_FLOAT_EQ(l.left, 0.0f);
  EXPECT_FLOAT_EQ(l.right, 1.0f);
}

TEST(ComputeVideoLayoutTest, FitWithoutAKnownVideoSizeFallsBackToFill) {
  FrameMap frames;
  frames[u"D1"] = {0.25f, 0.75f, 2.0f};
  const VideoLayout l = ComputeVideoLayout(true, frames, u"D1", 0, 0, 1920, 1080);
  EXPECT_EQ(l.destination, (Rect{0, 0, 1920, 1080}));
  ExpectSource(l, 0.0f, 0.5f, 0.5f, 1.0f);
}

}  // namespace
