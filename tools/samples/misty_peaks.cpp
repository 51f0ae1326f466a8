// Misty peaks: ridge behind ridge fading into morning fog, the sun low
// behind a veil of high cloud, pines along the nearest crests.
#include <algorithm>

#include "scenes.h"

namespace samples {

namespace {

constexpr int kRidges = 7;
constexpr uint32_t kSeed = 4101;

struct Sun {
  float x, y;
};

Rgb Sky(float px, float v, Sun sun) {
  Rgb c = Ramp({Srgb(0x35557F), Srgb(0x6F89AE), Srgb(0xB9B9C8), Srgb(0xEFCFB6), Srgb(0xF7DCC0)}, v / 0.62f);
  const float dx = px - sun.x, dy = v - sun.y, d2 = dx * dx + dy * dy, d = std::sqrt(d2);
  c += Srgb(0xFFD7A0) * (1.1f * std::exp(-d2 / 0.0035f) + 0.45f * std::exp(-d / 0.14f));
  c += Srgb(0xFFF2DC) * (8.0f * Smooth(0.030f, 0.024f, d));
  // High streaks of cloud, lit from the sun's side.
  const float streak = Fbm(px * 1.1f, v * 8.0f, 5, kSeed + 1);
  const float cloud = Smooth(0.05f, 0.45f, streak) * Smooth(0.04f, 0.22f, v) * (1 - Smooth(0.30f, 0.46f, v));
  const Rgb lit = Mix(Srgb(0xC7C5D2), Srgb(0xFFE2C4), std::exp(-d / 0.35f));
  return Mix(c, lit * 1.1f, cloud * 0.45f);
}

// Height of ridge i (0 farthest) at horizontal position px, as v from the top.
float Ridge(int i, float px) {
  const float f = i / float(kRidges - 1);
  const float base = Lerp(0.47f, 0.88f, std::pow(f, 1.15f));
  const float freq = Lerp(1.1f, 2.3f, f);
  const float shape = i < 3 ? RidgedFbm1(px * freq + i * 7.3f, 7, kSeed + 10 + i)
                            : 0.5f + 0.9f * Fbm1(px * freq + i * 3.1f, 6, kSeed + 10 + i);
  const float amp = i < 3 ? Lerp(0.17f, 0.11f, i / 2.0f) : Lerp(0.13f, 0.16f, f);
  return base - amp * shape;
}

// Pines along a crest: a narrow spike per lattice cell where the noise says a
// stand of trees grows.
float Trees(int i, float px, float scale) {
  const float cell = 0.0065f * scale;
  const int k = static_cast<int>(std::floor(px / cell));
  float top = 0;
  for (int j = k - 2; j <= k + 2; ++j) {
    const float stand = Fbm1(j * cell * 9.0f, 3, kSeed + 40 + i);
    if (stand < -0.15f) continue;
    const float centre = (j + 0.5f + 0.7f * (Hash01(j, i, kSeed + 41) - 0.5f)) * cell;
    const float h = (0.45f + 0.55f * Hash01(j, i, kSeed + 42)) * 0.045f * scale * Smooth(-0.15f, 0.1f, stand);
    const float a = std::fabs(px - centre) / (h * 0.26f);
    // A slightly concave cone reads as a spruce rather than a tent.
    if (a < 1) top = std::max(top, h * std::pow(1 - a, 1.25f));
  }
  return top;
}

float Crest(int i, float px) {
  float v = Ridge(i, px);
  if (i >= kRidges - 3) v -= Trees(i, px, i == kRidges - 1 ? 1.0f : i == kRidges - 2 ? 0.6f : 0.35f);
  return v;
}

}  // namespace

Canvas MistyPeaks(int width, int height) {
  Canvas out(width, height);
  const float aspect = float(width) / height, pixel = 1.0f / height;
  const Sun sun{0.66f * aspect, 0.34f};
  std::vector<float> crest(static_cast<size_t>(kRidges) * (width + 2)), ridge(crest.size());
  for (int i = 0; i < kRidges; ++i)
    for (int x = -1; x <= width; ++x) {
      crest[i * (width + 2) + x + 1] = Crest(i, (x + 0.5f) * pixel);
      ridge[i * (width + 2) + x + 1] = Ridge(i, (x + 0.5f) * pixel);
    }
  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) * pixel;
    for (int x = 0; x < width; ++x) {
      const float px = (x + 0.5f) * pixel;
      Rgb c = Sky(px, v, sun);
      const float toSun = std::exp(-std::fabs(px - sun.x) / 0.9f);
      for (int i = 0; i < kRidges; ++i) {
        const float f = i / float(kRidges - 1);
        const float* row = &crest[i * (width + 2) + x + 1];
        // Coverage from the distance to the crest line, so edges stay smooth.
        const float slope = (row[1] - row[-1]) / (2 * pixel);
        const float cover = Clamp01((v - row[0]) / (pixel * std::sqrt(1 + slope * slope)) + 0.5f);
        const Rgb haze = Mix(Srgb(0xA9B9D0), Srgb(0xF3D6BD), toSun) * Lerp(1.0f, 0.85f, f);
        if (cover > 0) {
          const Rgb rock = Mix(Srgb(0x0A1826), Srgb(0x2F4661), 1 - f);
          const float depthHaze = Lerp(0.86f, 0.02f, std::pow(f, 0.7f));
          // Fog pools below each crest (not its trees) and thins toward it.
          const float below = v - ridge[i * (width + 2) + x + 1];
          const float pool = Smooth(0.0f, Lerp(0.05f, 0.16f, f), below) *
                             (0.55f + 0.45f * Fbm(px * 2.2f + i * 5.0f, v * 9.0f, 4, kSeed + 60 + i));
          const float haze2 = Clamp01(depthHaze + (1 - depthHaze) * pool * Lerp(0.75f, 0.2f, f));
          c = Mix(c, Mix(rock, haze, haze2), cover);
        }
        // A bank of fog in front of this ridge, behind the next: dense below,
        // wisps above.
        const float base = Lerp(0.47f, 0.88f, std::pow(f, 1.15f));
        const float wisps = 0.5f + 0.5f * Fbm(px * 1.6f + i * 11.0f, v * 7.0f, 5, kSeed + 80 + i);
        const float bank = Smooth(base - 0.07f, base + 0.04f, v) * Smooth(0.25f, 0.85f, wisps);
        if (i < kRidges - 1) c = Mix(c, haze * 1.02f, bank * Lerp(0.55f, 0.3f, f));
      }
      out.at(x, y) = c;
    }
  }
  return out;
}

}  // namespace samples
