// GIF composition on the logical screen, delays and the frame cache budget.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>
#include <vector>

#include "render/exif_orientation.h"
#include "render/gif_canvas.h"

namespace {

constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kGreen = 0xFF00FF00u;
constexpr uint32_t kBlue = 0xFF0000FFu;

GifCanvas MakeCanvas(uint32_t w, uint32_t h) {
  GifCanvas canvas;
  EXPECT_TRUE(canvas.Allocate(w, h, 16384));
  return canvas;
}

// Composes a solid frame the way the renderer does: place, then draw the
// clipped part.
void Draw(GifCanvas& canvas, uint32_t left, uint32_t top, uint32_t w, uint32_t h, uint32_t colour) {
  const PixelRect area = canvas.Place(left, top, w, h);
  const std::vector<uint32_t> source(size_t{area.Width()} * area.Height(), colour);
  canvas.Compose(area, source.data());
}

size_t Count(const GifCanvas& canvas, uint32_t colour) {
  size_t n = 0;
  for (uint32_t p : canvas.pixels()) n += p == colour;
  return n;
}

TEST(GifCanvasTest, StartsOpaqueBlackAndFrameZeroRestartsFromBlack) {
  GifCanvas canvas = MakeCanvas(8, 4);
  EXPECT_EQ(Count(canvas, kOpaqueBlack), 32u);
  canvas.BeginFrame(0);
  Draw(canvas, 0, 0, 8, 4, kRed);
  canvas.disposal = 1;
  canvas.BeginFrame(1);
  EXPECT_EQ(Count(canvas, kRed), 32u);  // disposal 1 leaves the frame in place
  canvas.BeginFrame(0);                 // the loop starts over
  EXPECT_EQ(Count(canvas, kOpaqueBlack), 32u);
  EXPECT_EQ(canvas.disposal, 0u);
}

TEST(GifCanvasTest, DisposalTwoClearsOnlyThePreviousFramesArea) {
  GifCanvas canvas = MakeCanvas(100, 100);
  canvas.BeginFrame(0);
  Draw(canvas, 0, 0, 100, 100, kGreen);
  canvas.BeginFrame(1);
  Draw(canvas, 10, 10, 20, 20, kRed);
  canvas.disposal = 2;
  canvas.BeginFrame(2);
  EXPECT_EQ(Count(canvas, kOpaqueBlack), 400u);
  EXPECT_EQ(canvas.at(10, 10), kOpaqueBlack);
  EXPECT_EQ(canvas.at(29, 29), kOpaqueBlack);
  EXPECT_EQ(canvas.at(30, 29), kGreen);
  EXPECT_EQ(canvas.at(9, 10), kGreen);
  EXPECT_EQ(Count(canvas, kGreen), 10000u - 400u);

}

TEST(GifCanvasTest, DisposalThreeRestoresWhatTheFrameCovered) {
  GifCanvas canvas = MakeCanvas(100, 100);
  canvas.BeginFrame(0);
  Draw(canvas, 0, 0, 100, 100, kGreen);
  Draw(canvas, 0, 0, 50, 100, kRed);  // left half red, right half green
  canvas.disposal = 3;                // an overlay that must leave no trail
  canvas.BeginFrame(1);
  canvas.disposal = 3;
  Draw(canvas, 40, 40, 20, 20, kBlue);
  canvas.BeginFrame(2);
  EXPECT_EQ(Count(canvas, kBlue), 0u);
  EXPECT_EQ(Count(canvas, kRed), 5000u);
  EXPECT_EQ(canvas.at(45, 45), kRed);
  EXPECT_EQ(canvas.at(55, 45), kGreen);
  // The restore is for that one frame: a later frame that leaves its pixels keeps them.
  canvas.disposal = 1;
  Draw(canvas, 0, 0, 10, 10, kBlue);
  canvas.BeginFrame(3);
  EXPECT_EQ(Count(canvas, kBlue), 100u);
  // A disposal-3 frame that never drew (its decode failed) restores nothing stale.
  canvas.disposal = 3;
  canvas.BeginFrame(4);
  EXPECT_EQ(Count(canvas, kBlue), 100u);
}

TEST(GifCanvasTest, AlphaDarkensOverBlackAndIgnoresWhatWasThere) {
  GifCanvas canvas = MakeCanvas(4, 1);
  Draw(canvas, 0, 0, 4, 1, kGreen);
  const uint32_t source[4] = {0x80FF0000u, 0x00123456u, 0x01FFFFFFu, 0xFE808080u};
  const PixelRect area = canvas.Place(0, 0, 4, 1);
  canvas.Compose(area, source);
  EXPECT_EQ(canvas.at(0, 0), 0xFF800000u);  // 255 * 128 / 255, the green below does not show
  EXPECT_EQ(canvas.at(1, 0), kGreen);       // fully transparent: untouched
  EXPECT_EQ(canvas.at(2, 0), 0xFF010101u);  // 255 * 1 / 255
  EXPECT_EQ(canvas.at(3, 0), 0xFF7F7F7Fu);  // 128 * 254 / 255 = 127.49..., fraction dropped
}

TEST(GifCanvasTest, FramesAreClippedToTheLogicalScreen) {
  GifCanvas canvas = MakeCanvas(10, 10);
  const PixelRect area = canvas.Place(6, 8, 10, 10);
  EXPECT_EQ(std::tuple(area.left, area.top, area.right, area.bottom), std::tuple(6, 8, 10, 10));
  const std::vector<uint32_t> source(area.Width() * area.Height(), kRed);
  canvas.Compose(area, source.data());
  EXPECT_EQ(Count(canvas, kRed), 8u);
  EXPECT_EQ(canvas.at(6, 8), kRed);
  EXPECT_EQ(canvas.at(5, 8), kOpaqueBlack);

  // Wholly outside, even at coordinates far beyond 32-bit signed range: nothing drawn.
  for (const auto& [l, t] : {std::pair<uint32_t, uint32_t>{10, 0}, {0, 10}, {0xFFFFFFF0u, 0xFFFFFFF0u}}) {
    const PixelRect off = canvas.Place(l, t, 0xFFFF, 0xFFFF);
    EXPECT_EQ(off.Width() * off.Height(), 0u);
    canvas.Compose(off, nullptr);
  }
  // Disposal 2 of an off-canvas frame clears nothing.
  canvas.disposal = 2;
  canvas.BeginFrame(1);
  EXPECT_EQ(Count(canvas, kRed), 8u);
}

TEST(GifCanvasTest, OversizedScreensFailBeforeAnyAllocation) {
  GifCanvas canvas;
  EXPECT_FALSE(canvas.Allocate(65535, 65535, 16384));  // 16 GiB declared by a hostile file
  EXPECT_FALSE(canvas.Allocate(16385, 1, 16384));
  EXPECT_FALSE(canvas.Allocate(1, 16385, 16384));
  EXPECT_FALSE(canvas.Allocate(0, 10, 16384));
  EXPECT_TRUE(canvas.pixels().empty());
  EXPECT_TRUE(canvas.Allocate(16384, 1, 16384));
  EXPECT_EQ(canvas.pixels().size(), 16384u);
}

TEST(GifCanvasTest, ReleasedCanvasIgnoresLaterFrames) {
  GifCanvas canvas = MakeCanvas(10, 10);
  EXPECT_EQ(canvas.incoming().size(), 100u);
  Draw(canvas, 2, 2, 4, 4, kRed);
  canvas.Release();
  EXPECT_EQ(canvas.pixels().capacity() + canvas.incoming().capacity(), 0u) << "the memory, not just the size";
  canvas.disposal = 2;
  canvas.BeginFrame(1);  // must not touch freed memory
  canvas.BeginFrame(0);
  Draw(canvas, 0, 0, 10, 10, kRed);
  EXPECT_TRUE(canvas.pixels().empty());
}

TEST(GifCanvasTest, StillsStandUprightOnACanvasOfTheirUprightSize) {
  // A 3x2 picture stored as numbered opaque pixels, shown on a canvas of its upright size.
  std::vector<uint32_t> stored;
  for (uint32_t i = 0; i < 6; ++i) stored.push_back(kOpaqueBlack | i);
  for (int orientation = 1; orientation <= 8; ++orientation) {
    const uint32_t w = SwapsSides(orientation) ? 2 : 3, h = SwapsSides(orientation) ? 3 : 2;
    GifCanvas canvas = MakeCanvas(w, h);
    ASSERT_TRUE(canvas.ComposeUpright(stored.data(), 3, 2, orientation)) << orientation;
    std::vector<uint32_t> upright = stored;
    int32_t uw = 3, uh = 2;
    OrientPixels(upright, uw, uh, orientation);
    EXPECT_EQ(canvas.pixels(), upright) << orientation;
    EXPECT_FALSE(canvas.ComposeUpright(stored.data(), 6, 1, orientation)) << "sides that do not fit draw nothing";
  }
}

TEST(FrameDelayTest, ZeroAndOneHundredthsBecomeATenth) {
  EXPECT_DOUBLE_EQ(FrameDelaySeconds(0), 0.1);
  EXPECT_DOUBLE_EQ(FrameDelaySeconds(1), 0.1);
  EXPECT_DOUBLE_EQ(FrameDelaySeconds(2), 0.02);
  EXPECT_DOUBLE_EQ(FrameDelaySeconds(10), 0.1);  // also the value a missing delay reads as
  EXPECT_DOUBLE_EQ(FrameDelaySeconds(250), 2.5);
}

TEST(FrameCacheTest, BudgetBoundaryIsExactAndNeverWraps) {
  // 0xC000000 bytes exactly is still cached; one more frame's worth is not.
  EXPECT_TRUE(FitsFrameCache(3, 4096, 4096));       // 3 * 64 MiB = 192 MiB
  EXPECT_FALSE(FitsFrameCache(4, 4096, 4096));
  EXPECT_TRUE(FitsFrameCache(1, 8192, 6144));       // one frame of exactly 192 MiB
  EXPECT_FALSE(FitsFrameCache(1, 8192, 6145));
  EXPECT_TRUE(FitsFrameCache(3, 100, 100));
  EXPECT_TRUE(FitsFrameCache(5, 0, 100));  // a frame of no pixels costs nothing
  // Products that would wrap 32 (or 64) bits are still far over the budget.
  EXPECT_FALSE(FitsFrameCache(1, 65535, 65535));
  EXPECT_FALSE(FitsFrameCache(0x100000000ull, 0x10000, 0x10000));
  EXPECT_FALSE(FitsFrameCache(std::numeric_limits<uint64_t>::max(), 1, 1));
  EXPECT_FALSE(FitsFrameCache(0x40000001ull, 1, 1));  // 4 * count wraps 32 bits to 4
  EXPECT_TRUE(FitsFrameCache(0x3000000ull, 1, 1));
  EXPECT_FALSE(FitsFrameCache(1, 0x80000000u, 0x80000000u));  // 2^64 bytes would wrap to 0
  EXPECT_FALSE(FitsFrameCache(1, 0xFFFFFFFFu, 0xFFFFFFFFu));
}

}  // namespace
