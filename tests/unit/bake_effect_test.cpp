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

TEST(BakeEffect, PaletteComesFromSixPicturePointsAndBokehTakesItInTurn) {
  const int32_t w = 30, h = 20;
  std::vector<uint32_t> black(w * h, 0xFF000000u);
  BakeEffect dark;
  dark.Init(black, w, h, 6);
  ASSERT_EQ(dark.particles.size(), 26u);
  for (const auto& p : dark.particles) {
    EXPECT_FLOAT_EQ(p.r, 0.35f);
    EXPECT_FLOAT_EQ(p.g, 0.35f);
    EXPECT_FLOAT_EQ(p.b, 0.35f);
  }

  // Six points: a third and two thirds across, a quarter, a half and three
  // quarters down; each gets its own colour.
  std::vector<uint32_t> picture(w * h, 0xFF000000u);
  const uint32_t colours[6] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFF808000u, 0xFF004080u, 0xFF102030u};
  const int32_t xs[6] = {10, 10, 10, 20, 20, 20};
  const int32_t ys[6] = {5, 10, 15, 5, 10, 15};
  for (int k = 0; k < 6; ++k) picture[ys[k] * w + xs[k]] = colours[k];
  BakeEffect e;
  e.Init(picture, w, h, 6);
  for (size_t k = 0; k < e.particles.size(); ++k) {
    const uint32_t c = colours[k % 6];
    const float r = ((c >> 16) & 255) / 255.0f, g = ((c >> 8) & 255) / 255.0f, b = (c & 255) / 255.0f;
    const float m = std::max({r, g, b, 0.01f});
    EXPECT_NEAR(e.particles[k].r, r * 0.65f / m + 0.35f, 1e-6) << k;
    EXPECT_NEAR(e.particles[k].g, g * 0.65f / m + 0.35f, 1e-6) << k;
    EXPECT_NEAR(e.particles[k].b, b * 0.65f / m + 0.35f, 1e-6) << k;
  }
  EXPECT_FLOAT_EQ(e.particles[0].r, 1.0f);
  EXPECT_FLOAT_EQ(e.particles[0].g, 0.35f);
}

TEST(BakeEffect, TinyPicturesRenderEveryPreset) {
  for (int32_t preset = -1; preset <= 11; ++preset) {
    BakeEffect e = MakeEffect(2, 2, preset);
    for (float t : {0.0f, 0.25f, 0.5f, 0.99f}) e.RenderFrame(t);
    for (float v : e.frame) ASSERT_TRUE(std::isfinite(v)) << preset;
    if (preset == 8) {
      EXPECT_EQ(e.gridWidth, 40);
      EXPECT_EQ(e.gridHeight, 40);
      EXPECT_EQ(e.cloudGrid.size(), 1600u);
    }
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

TEST(BakeEffect, FrameCentreAtTheLoopStart) {
  // Breathe starts at zoom 1.05 with no pan: the centre pixel shows the
  // picture's centre pixel, dimmed by the vignette's tiny centre value only.
  const int32_t w = 64, h = 48;
  BakeEffect breathe = MakeEffect(w, h, 1);
  breathe.RenderFrame(0.0f);
  const uint32_t centre = TestPicture(w, h)[(h / 2) * w + w / 2];
  const float u = 0.5f / w, v = 0.5f / h;
  const float dim = 1.0f - 0.18f * (1.2f * u * u + v * v);
  const float* f = &breathe.frame[((h / 2) * w + w / 2) * 3];
  EXPECT_NEAR(f[0], ((centre >> 16) & 255) / 255.0f * dim, 1e-5);
  EXPECT_NEAR(f[1], ((centre >> 8) & 255) / 255.0f * dim, 1e-5);
  EXPECT_NEAR(f[2], (centre & 255) / 255.0f * dim, 1e-5);

  // Gentle drift starts 1.2 % of the width right of the centre: on a
  // 1000-wide picture the frame's column 500 shows column 512.
  const int32_t W = 1000, H = 100;
  std::vector<uint32_t> stripes(W * H, 0xFF000000u);
  for (int32_t y = 0; y < H; ++y) stripes[y * W + 512] = 0xFFFFFFFFu;
  BakeEffect drift;
  drift.Init(stripes, W, H, 0);
  drift.RenderFrame(0.0f);
  const float* c = &drift.frame[((H / 2) * W + W / 2) * 3];
  EXPECT_NEAR(c[0], 1.0f - 0.18f * (1.2f * (0.5f / W) * (0.5f / W) + (0.5f / H) * (0.5f / H)), 1e-4);
  EXPECT_LT(drift.frame[((H / 2) * W + W / 2 - 2) * 3], 0.01f);
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
  for (int32_t preset = -1; preset <= 11; ++preset) {
    const BakeEffect a = MakeEffect(400, 300, preset);
    const BakeEffect b = MakeEffect(400, 300, preset);
    const size_t want = preset >= 0 && preset < kPresetCount ? expected[preset] : 0;
    ASSERT_EQ(a.particles.size(), want) << preset;
    if (want) {
      ASSERT_EQ(std::memcmp(a.particles.data(), b.particles.data(), want * sizeof(EffectParticle)), 0);
      EXPECT_EQ(a.randomState, b.randomState);
    }
  }
  // Snowfall: far flakes fall once, middle once or twice, near flakes twice;
  // sizes scale with the picture's long side (400 / 1920).
  const BakeEffect snow = MakeEffect(400, 300, 3);
  const float scale = 400.0f / 1920.0f;
  bool sawOne = false, sawTwo = false;
  for (size_t k = 0; k < snow.particles.size(); ++k) {
    const EffectParticle& p = snow.particles[k];
    if (k < 260) {
      EXPECT_EQ(p.speed, 1.0f);
      EXPECT_GE(p.size, 1.2f * scale - 1e-6f);
      EXPECT_LE(p.size, 2.4f * scale + 1e-6f);
    } else if (k < 380) {
      sawOne |= p.speed == 1.0f;
      sawTwo |= p.speed == 2.0f;
      EXPECT_TRUE(p.speed == 1.0f || p.speed == 2.0f);
    } else {
      EXPECT_EQ(p.speed, 2.0f);
      EXPECT_GE(p.size, 5.0f * scale - 1e-6f);
    }
    EXPECT_EQ(p.r, 1.0f);
  }
  EXPECT_TRUE(sawOne && sawTwo);
  const BakeEffect rain = MakeEffect(400, 300, 4);
  for (const auto& p : rain.particles) {
    EXPECT_GE(p.speed, 6.0f);
    EXPECT_LE(p.speed, 10.0f);
    EXPECT_EQ(p.speed, std::floor(p.speed));
    EXPECT_FLOAT_EQ(p.r, 0.8f);
  }
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
  for (int32_t preset = 0; preset < kPresetCount; ++preset) {
    BakeEffect e = MakeEffect(200, 150, preset);
    const float ts[3] = {0.0f, 0.3125f, 0.75f};
    for (int k = 0; k < 3; ++k) {
      e.RenderFrame(ts[k]);
      const uint64_t sum = Checksum(e.frame);
      EXPECT_EQ(sum, golden[preset][k]) << "preset " << preset << " t " << ts[k] << " got 0x" << std::hex << sum;
    }
  }
}

}  // namespace
