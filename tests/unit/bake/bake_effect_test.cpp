#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "bake/bake_effect.h"
#include "bake/effect_particles.h"

namespace {

// A deterministic, detailed test picture: gradients with a hashed texture, so
// every sampling mistake shows in the frame.
std::vector<uint32_t> TestPicture(int32_t w, int32_t h) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) {
      uint32_t n = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
      n = (n ^ (n >> 13)) * 0x5bd1e995u;
      const uint32_t r = (x * 255 / std::max(w - 1, 1) + (n & 31)) & 0xFF;
      const uint32_t g = (y * 255 / std::max(h - 1, 1) + ((n >> 8) & 31)) & 0xFF;
      const uint32_t b = ((x + y) * 3 + ((n >> 16) & 63)) & 0xFF;
      p[static_cast<size_t>(y) * w + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  return p;
}

BakeEffect MakeEffect(int32_t w, int32_t h, int32_t preset) {
  BakeEffect e;
  e.Init(TestPicture(w, h), w, h, preset);
  return e;
}

float MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
  float worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::fabs(a[i] - b[i]));
  return worst;
}

uint64_t Checksum(const std::vector<float>& v) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (float f : v) {
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    for (int k = 0; k < 4; ++k) h = (h ^ ((bits >> (8 * k)) & 0xFF)) * 0x100000001b3ull;
  }
  return h;
}

TEST(BakeEffect, GeneratorStartsAtSevenAndHas24RandomBits) {
  BakeEffect e;
  EXPECT_EQ(e.randomState, 7u);
  EXPECT_EQ(e.NextRandom(), 4006077.0f / 16777216.0f);
  EXPECT_EQ(e.randomState, 1025555898u);
  EXPECT_EQ(e.NextRandom(), 15325873.0f / 16777216.0f);
  EXPECT_EQ(e.NextRandom(), 10275904.0f / 16777216.0f);
  for (int i = 0; i < 10000; ++i) {
    const float r = e.NextRandom();
    ASSERT_GE(r, 0.0f);
    ASSERT_LT(r, 1.0f);
  }
}

TEST(BakeEffect, BokehTakesTheColoursOfSixPicturePointsInTurn) {
  // Six points: a third and two thirds across, a quarter, a half and three
  // quarters down; each gets its own colour, the rest is black.
  const int32_t w = 30, h = 20;
  std::vector<uint32_t> picture(w * h, 0xFF000000u);
  const uint32_t colours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF808000u, 0xFF004080u, 0xFF102030u};
  const int32_t xs[6] = {10, 10, 10, 20, 20, 20};
  const int32_t ys[6] = {5, 10, 15, 5, 10, 15};
  for (int k = 0; k < 6; ++k) picture[ys[k] * w + xs[k]] = colours[k];
  BakeEffect e;
  e.Init(picture, w, h, 6);
  ASSERT_EQ(e.particles.size(), 26u);
  const auto colour = [&](size_t k) { return std::vector<float>{e.particles[k].r, e.particles[k].g, e.particles[k].b}; };
  for (size_t k = 6; k < e.particles.size(); ++k) EXPECT_EQ(colour(k), colour(k - 6)) << k;
  for (size_t k = 1; k < 6; ++k) EXPECT_NE(colour(k), colour(k - 1)) << k;
  // Pure red keeps its hue, lifted: the brightest channel full, the others a floor.
  EXPECT_FLOAT_EQ(e.particles[0].r, 1.0f);
  EXPECT_FLOAT_EQ(e.particles[0].g, 0.35f);
  EXPECT_FLOAT_EQ(e.particles[0].b, 0.35f);

  // A black picture gives grey lights, never black ones.
  BakeEffect dark;
  dark.Init(std::vector<uint32_t>(w * h, 0xFF000000u), w, h, 6);
  for (const auto& p : dark.particles) EXPECT_GT(std::min({p.r, p.g, p.b}), 0.3f);
}

TEST(BakeEffect, TinyPicturesRenderEveryPreset) {
  for (int32_t preset = -1; preset <= 11; ++preset) {
    BakeEffect e = MakeEffect(2, 2, preset);
    for (float t : {0.0f, 0.25f, 0.5f, 0.99f}) e.RenderFrame(t);
    for (float v : e.frame) ASSERT_TRUE(std::isfinite(v)) << preset;
    const auto grid = std::tuple(e.gridWidth, e.gridHeight, e.cloudGrid.size());
    EXPECT_EQ(grid == std::tuple(40, 40, 1600u), preset == 8) << preset;
  }
  // The ripple reaches past the edges of a thin picture; the sanitizers see
  // any read outside it.
  BakeEffect thin = MakeEffect(2, 400, 2);
  for (float t : {0.0f, 0.1f, 0.6f}) thin.RenderFrame(t);
}

TEST(BakeEffect, PicturesNotMatchingTheirSizeAreRefused) {
  BakeEffect e;
  e.Init(std::vector<uint32_t>(10), 100, 100, 3);
  EXPECT_EQ(e.width, 0);
  e.RenderFrame(0.5f);
  EXPECT_TRUE(e.frame.empty());
}

TEST(BakeEffect, FramesDependOnlyOnT) {
  for (int32_t preset = 0; preset < kPresetCount; ++preset) {
    BakeEffect e = MakeEffect(96, 64, preset);
    e.RenderFrame(0.3f);
    const std::vector<float> first = e.frame;
    const uint32_t state = e.randomState;
    e.RenderFrame(0.7f);
    e.RenderFrame(0.3f);
    EXPECT_EQ(e.frame, first) << preset;
    EXPECT_EQ(e.randomState, state) << preset;
  }
}

TEST(BakeEffect, LoopClosesExceptSunbeamAndFilmGrain) {
  const float lastT = std::nextafter(1.0f, 0.0f);
  for (int32_t preset = 0; preset < kPresetCount; ++preset) {
    BakeEffect e = MakeEffect(160, 120, preset);
    e.RenderFrame(0.0f);
    const std::vector<float> start = e.frame;
    e.RenderFrame(lastT);
    const float worst = MaxDifference(start, e.frame);
    if (preset == 7 || preset == 9)
      EXPECT_GT(worst, 0.05f) << preset;
    else
      EXPECT_LT(worst, 0.02f) << preset;
  }
}

TEST(BakeEffect, ParticleLayersPerPreset) {
  const size_t expected[kPresetCount] = {0, 0, 0, 410, 420, 46, 26, 0, 0, 14, 95};
  for (int32_t preset = -1; preset <= 11; ++preset)
    EXPECT_EQ(MakeEffect(400, 300, preset).particles.size(),
              preset >= 0 && preset < kPresetCount ? expected[preset] : 0)
        << preset;
}

TEST(BakeEffect, DiscsAndLinesClipToTheFrame) {
  BakeEffect e = MakeEffect(20, 10, 0);
  std::fill(e.frame.begin(), e.frame.end(), 0.0f);
  const std::vector<float> empty = e.frame;
  AddDisc(e, -50.0f, 5.0f, 10.0f, Rgb{1, 1, 1}, 1.0f);
  AddDisc(e, 5.0f, 1e30f, 3.0f, Rgb{1, 1, 1}, 1.0f);
  AddLine(e, -30.0f, -3.0f, -5.0f, -1.0f, Rgb{1, 1, 1}, 1.0f);
  EXPECT_EQ(e.frame, empty);

  // A disc over the corner touches only pixels inside, brightest nearest the centre.
  AddDisc(e, 0.0f, 0.0f, 3.0f, Rgb{1, 0.5f, -1}, 2.0f);
  EXPECT_FLOAT_EQ(e.frame[0], 2.0f);
  EXPECT_FLOAT_EQ(e.frame[1], 1.0f);
  EXPECT_FLOAT_EQ(e.frame[2], -2.0f);
  EXPECT_GT(e.frame[3], 0.0f);
  EXPECT_LT(e.frame[3], e.frame[0]);
  EXPECT_EQ(e.frame[3 * 3], 0.0f);  // (3, 0) lies on the rim: q = 1

  // A point at x = -0.5 truncates to column 0 and is drawn.
  std::fill(e.frame.begin(), e.frame.end(), 0.0f);
  AddLine(e, -0.5f, 4.0f, -0.5f, 8.0f, Rgb{1, 1, 1}, 1.0f);
  for (int32_t y = 5; y <= 7; ++y) EXPECT_GT(e.frame[(y * 20) * 3], 0.0f) << y;

  // A zero-length line: two samples weighted sin(0) and sin(3.14159).
  std::fill(e.frame.begin(), e.frame.end(), 0.0f);
  AddLine(e, 10.0f, 5.0f, 10.0f, 5.0f, Rgb{1, 1, 1}, 1.0f);
  const float hit = e.frame[(5 * 20 + 10) * 3];
  EXPECT_GT(hit, 0.0f);
  EXPECT_LT(hit, 1e-5f);
}

TEST(BakeEffect, CloudShadowsTakeAtMost26PercentOfTheLight) {
  BakeEffect clouds = MakeEffect(320, 240, 8);
  BakeEffect plain = MakeEffect(320, 240, 0);
  float darkest = 1.0f;
  for (float t : {0.0f, 0.4f, 0.8f}) {
    clouds.RenderFrame(t);
    plain.RenderFrame(t);
    for (size_t i = 0; i < plain.frame.size(); ++i) {
      if (plain.frame[i] < 0.02f) continue;
      const float ratio = clouds.frame[i] / plain.frame[i];
      ASSERT_LE(ratio, 1.0f + 1e-5f);
      darkest = std::min(darkest, ratio);
    }
  }
  EXPECT_GE(darkest, 0.74f - 1e-4f);
  EXPECT_LT(darkest, 0.95f);  // some shadow is cast at all
}

TEST(BakeEffect, PresetsOutsideTheTableRenderAsGentleDrift) {
  BakeEffect drift = MakeEffect(120, 80, 0);
  drift.RenderFrame(0.37f);
  for (int32_t preset : {11, -1, 1000}) {
    BakeEffect e = MakeEffect(120, 80, preset);
    e.RenderFrame(0.37f);
    EXPECT_EQ(e.frame, drift.frame) << preset;
    EXPECT_TRUE(e.particles.empty());
  }
}

// Fixed frames of every preset; an optimisation that changes a single pixel
// changes these. Regenerate only for a deliberate change of the look.
TEST(BakeEffect, GoldenFrames) {
  const uint64_t golden[kPresetCount][3] = {
#include "bake_effect_golden.inc"
  };
  // A width of 198 leaves two columns past the last group of four.
  const uint64_t narrow[kPresetCount] = {
#include "bake_effect_golden_narrow.inc"
  };
  for (int32_t preset = 0; preset < kPresetCount; ++preset) {
    BakeEffect e = MakeEffect(200, 150, preset);
    const float ts[3] = {0.0f, 0.3125f, 0.75f};
    for (int k = 0; k < 3; ++k) {
      e.RenderFrame(ts[k]);
      const uint64_t sum = Checksum(e.frame);
      EXPECT_EQ(sum, golden[preset][k]) << "preset " << preset << " t " << ts[k] << " got 0x" << std::hex << sum;
    }
    BakeEffect odd = MakeEffect(198, 150, preset);
    odd.RenderFrame(0.3125f);
    const uint64_t sum = Checksum(odd.frame);
    EXPECT_EQ(sum, narrow[preset]) << "narrow preset " << preset << " got 0x" << std::hex << sum;
  }
}

}  // namespace
