// Placement on a surface: a picture's fill with pan and zoom, and fit; where a
// video frame lands, fit into a destination rectangle with bars or fill
// through a cropped source rectangle.
#include "render/placement.h"

#include <gtest/gtest.h>

#include <array>

namespace {

std::array<float, 4> Values(const UvRect& r) { return {r.u, r.v, r.du, r.dv}; }
// The source rectangle, in the video's normalised coordinates.
std::array<float, 4> Values(const VideoLayout& l) { return {l.left, l.top, l.right, l.bottom}; }

template <typename Placed>
void ExpectRect(const Placed& placed, float a, float b, float c, float d) {
  const std::array<float, 4> got = Values(placed), want{a, b, c, d};
  for (size_t i = 0; i < got.size(); ++i) EXPECT_FLOAT_EQ(got[i], want[i]) << "value " << i;
}

TEST(ComputeUvRectTest, FillCropsTheLongerAxisEvenly) {
  const FrameMap none;
  // Twice as wide as the screen: the middle half of the picture shows.
  ExpectRect(ComputeUvRect(none, u"A", 3840, 1080, 1920, 1080), 0.25f, 0.0f, 0.5f, 1.0f);
  // Portrait on landscape: full width, a band of 0.5625^2 of the height, centred.
  const UvRect portrait = ComputeUvRect(none, u"A", 1080, 1920, 1920, 1080);
  ExpectRect(portrait, 0.0f, (1.0f - 0.31640625f) / 2.0f, 1.0f, 0.31640625f);
  // Same aspect: the whole picture.
  ExpectRect(ComputeUvRect(none, u"A", 1280, 720, 1920, 1080), 0.0f, 0.0f, 1.0f, 1.0f);
}

TEST(ComputeUvRectTest, FrameZoomsAroundItsCentreAndStaysInsideThePicture) {
  FrameMap frames;
  frames[u"DISPLAY1"] = {0.9f, 0.5f, 2.0f};
  // The centre 0.9 would put the view past the right edge: held at 1 - du.
  ExpectRect(ComputeUvRect(frames, u"DISPLAY1", 1920, 1080, 1920, 1080), 0.5f, 0.25f, 0.5f, 0.5f);
  // The frame belongs to its own key only.
  ExpectRect(ComputeUvRect(frames, u"DISPLAY2", 1920, 1080, 1920, 1080), 0.0f, 0.0f, 1.0f, 1.0f);

  frames[u"DISPLAY1"] = {0.05f, 0.02f, 4.0f};
  ExpectRect(ComputeUvRect(frames, u"DISPLAY1", 1920, 1080, 1920, 1080), 0.0f, 0.0f, 0.25f, 0.25f);
}

TEST(ComputeUvRectTest, ZoomIsHeldBetweenOneAndFour) {
  FrameMap frames;
  frames[u"span"] = {0.5f, 0.5f, 10.0f};
  ExpectRect(ComputeUvRect(frames, u"span", 1920, 1080, 1920, 1080), 0.375f, 0.375f, 0.25f, 0.25f);
  frames[u"span"] = {0.5f, 0.5f, 0.5f};
  ExpectRect(ComputeUvRect(frames, u"span", 1920, 1080, 1920, 1080), 0.0f, 0.0f, 1.0f, 1.0f);
}

TEST(ComputeUvRectTest, ZeroSizesSkipTheCropButKeepTheFrame) {
  const FrameMap none;
  for (const auto& [sw, sh, dw, dh] : {std::array<uint32_t, 4>{0, 1080, 1920, 1080}, {3840, 0, 1920, 1080},
                                       {3840, 1080, 0, 1080}, {3840, 1080, 1920, 0}})
    ExpectRect(ComputeUvRect(none, u"A", sw, sh, dw, dh), 0.0f, 0.0f, 1.0f, 1.0f);
  FrameMap frames;
  frames[u"A"] = {0.25f, 0.75f, 2.0f};
  ExpectRect(ComputeUvRect(frames, u"A", 0, 0, 1920, 1080), 0.0f, 0.5f, 0.5f, 0.5f);
}

TEST(ComputeFitRectTest, LetterboxesWithEqualBars) {
  // Square on landscape: bars left and right.
  ExpectRect(ComputeFitRect(1000, 1000, 1920, 1080), (1.0f - 1920.0f / 1080.0f) / 2.0f, 0.0f, 1920.0f / 1080.0f,
             1.0f);
  EXPECT_NEAR(ComputeFitRect(1000, 1000, 1920, 1080).u, -0.388889f, 1e-5f);
  // Wide picture on a landscape screen: bars above and below.
  const UvRect wide = ComputeFitRect(3840, 1080, 1920, 1080);
  ExpectRect(wide, 0.0f, -0.5f, 1.0f, 2.0f);
  // Zero sizes give the whole picture rather than infinities.
  ExpectRect(ComputeFitRect(1000, 1000, 0, 1080), 0.0f, 0.0f, 1.0f, 1.0f);
  ExpectRect(ComputeFitRect(0, 1000, 1920, 1080), 0.0f, 0.0f, 1.0f, 1.0f);
}

TEST(ShowsPixelForPixelTest, OnlyTheWholePictureOnATargetOfItsOwnSize) {
  FrameMap frames;
  frames[u"Z"] = {0.5f, 0.5f, 2.0f};
  EXPECT_TRUE(ShowsPixelForPixel(ComputeUvRect(frames, u"A", 1920, 1080, 1920, 1080), 1920, 1080, 1920, 1080));
  EXPECT_TRUE(ShowsPixelForPixel(ComputeFitRect(1920, 1080, 1920, 1080), 1920, 1080, 1920, 1080));
  EXPECT_FALSE(ShowsPixelForPixel(ComputeUvRect(frames, u"Z", 1920, 1080, 1920, 1080), 1920, 1080, 1920, 1080))
      << "zoomed";
  EXPECT_FALSE(ShowsPixelForPixel(ComputeUvRect(frames, u"A", 3840, 2160, 1920, 1080), 3840, 2160, 1920, 1080))
      << "scaled: same aspect, other size";
  EXPECT_FALSE(ShowsPixelForPixel(ComputeUvRect(frames, u"A", 1920, 1080, 1920, 1081), 1920, 1080, 1920, 1081));
  EXPECT_FALSE(ShowsPixelForPixel(UvRect{0.0f, 0.0f, 1.0f, 0.5f}, 1920, 1080, 1920, 1080)) << "cropped";
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
  ExpectRect(l, 0.0f, 0.0f, 1.0f, 1.0f);
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
  ExpectRect(l, 0.5f, 0.25f, 1.0f, 0.75f);
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
  ExpectRect(l, 0.0f, 0.5f, 0.5f, 1.0f);
}

}  // namespace
