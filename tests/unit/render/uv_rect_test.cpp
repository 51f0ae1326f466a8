// Placement of a picture on a surface: fill with pan and zoom, and fit.
#include <gtest/gtest.h>

#include <array>

#include "render/placement.h"

namespace {

void ExpectRect(const UvRect& r, float u, float v, float du, float dv) {
  EXPECT_FLOAT_EQ(r.u, u);
  EXPECT_FLOAT_EQ(r.v, v);
  EXPECT_FLOAT_EQ(r.du, du);
  EXPECT_FLOAT_EQ(r.dv, dv);
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

}  // namespace
