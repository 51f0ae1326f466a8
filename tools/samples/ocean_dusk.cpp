// Ocean at dusk: the sun touching a calm sea under bands of lit cloud, its
// light broken into a path of glitter on the swell, a headland in shadow.
#include <algorithm>

#include "scenes.h"

namespace samples {

namespace {

constexpr uint32_t kSeed = 5153;
constexpr float kHorizon = 0.61f;

struct Sun {
  float x, y, r;
};

float Headland(float px) {
  const float reach = Smooth(0.50f, 0.05f, px);
  return kHorizon - reach * (0.012f + 0.05f * RidgedFbm1(px * 2.2f + 3.0f, 5, kSeed + 30) * reach);
}

// The sky (and the headland against it) seen along a ray that leaves at
// height v; the sea mirrors it.
Rgb Sky(float px, float v, Sun sun) {
  Rgb c = Ramp({Srgb(0x0A0F2E), Srgb(0x1E1E4C), Srgb(0x4C2A5E), Srgb(0xA64860), Srgb(0xEE7F55), Srgb(0xFFBE78)},
               v / kHorizon);
  const float dx = px - sun.x, dy = v - sun.y, d2 = dx * dx + dy * dy, d = std::sqrt(d2);
  c += Srgb(0xFFA35C) * (0.9f * std::exp(-d2 / 0.006f) + 0.45f * std::exp(-d / 0.22f));
  // Bands of stratus, dark above and lit pink and gold beneath.
  const float bands = Fbm(px * 0.9f, v * 10.0f, 6, kSeed + 1) + 0.25f * Fbm(px * 4.0f, v * 22.0f, 4, kSeed + 2);
  const float cloud = Smooth(0.05f, 0.45f, bands) * Smooth(0.08f, 0.2f, v) * Smooth(kHorizon - 0.02f, 0.45f, v);
  const float under = Smooth(-0.15f, 0.35f, Fbm(px * 0.9f, (v + 0.012f) * 10.0f, 6, kSeed + 1));
  const Rgb lit = Mix(Srgb(0xFF9A6A), Srgb(0xFFD08A), std::exp(-d / 0.3f)) * (0.6f + 1.2f * std::exp(-d / 0.5f));
  const Rgb dark = Srgb(0x2C1D3C) * (0.7f + 0.6f * v / kHorizon);
  c = Mix(c, Mix(lit, dark, under), cloud * 0.92f);
  c += Srgb(0xFFF0D0) * (10.0f * Smooth(sun.r, sun.r - 0.003f, d));
  const float land = Headland(px);
  if (land < kHorizon - 1e-4f && v > land) c = Mix(c, Srgb(0x120B1C), 0.93f);
  return c;
}

}  // namespace

Canvas OceanDusk(int width, int height) {
  Canvas out(width, height), light(width, height);
  const float aspect = float(width) / height, pixel = 1.0f / height;
  const Sun sun{0.63f * aspect, kHorizon - 0.012f, 0.032f};
  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) * pixel;
    for (int x = 0; x < width; ++x) {
      const float px = (x + 0.5f) * pixel;
      if (v < kHorizon) {
        out.at(x, y) = Sky(px, v, sun);
        continue;
      }
      // The sea: world position on the water, then the swell's slope tilts
      // the mirrored ray.
      const float depth = v - kHorizon + 1e-4f, Z = 1.0f / depth, X = (px - 0.5f * aspect) * Z;
      const float wx = X * 0.35f, wz = Z * 1.6f;
      const float h = Fbm(wx, wz, 5, kSeed + 10), hz = Fbm(wx, wz + 0.05f, 5, kSeed + 10);
      const float hx = Fbm(wx + 0.05f, wz, 5, kSeed + 10);
      // Far off the swell is finer than a pixel: let it fade into a smooth mirror.
      const float calm = Smooth(0.0f, 0.08f, depth);
      const float tilt = (hz - h) * 20.0f * calm, shift = (hx - h) * 20.0f * calm;
      const float mv = std::clamp(kHorizon - depth * 0.9f - tilt * 0.05f * std::min(1.0f, depth * 12 + 0.2f), 0.0f,
                                  kHorizon - 1e-4f);
      const Rgb mirrored = Sky(px + shift * 0.01f, mv, sun);
      const float fresnel = Lerp(0.9f, 0.35f, Smooth(0.0f, 0.39f, depth));
      Rgb c = Mix(Srgb(0x0B1226) * (0.8f + 0.4f * h), mirrored, fresnel);
      // Glitter: the sun caught on wave facets, along a path widening to us.
      const float across = std::fabs(px - sun.x) / (0.025f + 0.9f * depth);
      const float facet = Clamp01(Noise(X * 3.2f, Z * 9.0f, kSeed + 20) * 0.5f + 0.5f);
      const float glint = std::pow(facet, 14.0f) * std::exp(-across * across * 2.2f) * Smooth(0.0f, 0.01f, depth);
      c = c * (0.85f + 0.3f * Smooth(-0.3f, 0.3f, h));
      light.at(x, y) = Srgb(0xFFD9A0) * (glint * 6.0f);
      out.at(x, y) = c;
    }
  }
  // The sun's disc and brightest sky feed the bloom.
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const float dx = (x + 0.5f) * pixel - sun.x, dy = (y + 0.5f) * pixel - sun.y;
      if (dx * dx + dy * dy < 0.0036f) light.at(x, y) += out.at(x, y) * 0.25f * Smooth(0.0036f, 0.0f, dx * dx + dy * dy);
    }
  const Canvas bloom = Bloom(light, {0.001f, 0.006f, 0.03f}, {0.7f, 0.4f, 0.3f});
  for (size_t p = 0; p < out.px.size(); ++p) out.px[p] += light.px[p] + bloom.px[p];
  return out;
}

}  // namespace samples
