// Deep space: a glowing nebula folded by dark dust lanes, across a faint band
// of the galaxy, with stars of every colour and a few bright ones that bloom.
#include <algorithm>

#include "scenes.h"

namespace samples {

namespace {

constexpr uint32_t kSeed = 9311;

struct Warp {
  float qx, qy, rx, ry, f;
};

// Noise fed through itself twice: the folded, wind-blown look of gas.
Warp Nebula(float x, float y) {
  Warp w;
  w.qx = Fbm(x, y, 5, kSeed + 1);
  w.qy = Fbm(x + 5.2f, y + 1.3f, 5, kSeed + 2);
  w.rx = Fbm(x + 2.0f * w.qx + 1.7f, y + 2.0f * w.qy + 9.2f, 5, kSeed + 3);
  w.ry = Fbm(x + 2.0f * w.qx + 8.3f, y + 2.0f * w.qy + 2.8f, 5, kSeed + 4);
  w.f = Fbm(x + 1.8f * w.rx, y + 1.8f * w.ry, 6, kSeed + 5, 0.55f);
  return w;
}

// Distance across the galaxy's band, a gentle diagonal.
float BandDistance(float px, float v, float aspect) { return (v - (0.95f - 0.55f * px / aspect)) * 0.88f; }

}  // namespace

Canvas DeepSpace(int width, int height) {
  Canvas out(width, height), light(width, height);
  const float aspect = float(width) / height, pixel = 1.0f / height, scale = height / 1440.0f;
  std::vector<float> dust(out.px.size());
  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) * pixel;
    for (int x = 0; x < width; ++x) {
      const float px = (x + 0.5f) * pixel;
      const float band = BandDistance(px, v, aspect);
      const float milky = std::exp(-band * band / 0.03f) * (0.6f + 0.4f * Fbm(px * 3, v * 3, 5, kSeed + 9));
      Rgb c = Rgb{0.0012f, 0.0014f, 0.0032f} + Srgb(0x2A3050) * (0.45f * milky);

      // The cloud sits off centre, stretched along a tilted axis.
      const float dx = px - 0.60f * aspect, dy = v - 0.47f;
      const float a = 0.82f * dx + 0.57f * dy, b = -0.57f * dx + 0.82f * dy;
      const float shape = std::exp(-(a * a / 0.22f + b * b / 0.05f));
      const Warp w = Nebula(px * 1.5f, v * 1.5f);
      const float density = Smooth(-0.25f, 0.55f, w.f + 0.55f * shape - 0.3f) * shape;
      Rgb gas = Mix(Srgb(0x1C6E8C), Srgb(0xC2307A), Clamp01(w.qx * 1.6f + 0.55f));
      gas = Mix(gas, Srgb(0xFF8A3D), Smooth(0.1f, 0.5f, w.ry) * 0.7f);
      gas = Mix(gas, Srgb(0xFFE6D0), Smooth(0.55f, 0.95f, density) * 0.6f);
      const float glow = std::pow(density, 1.6f) * 1.6f;
      // A soft haze around the bright filaments keeps it gas, not marble.
      c += gas * (glow + 0.10f * std::pow(shape, 1.3f));
      // Dust lanes swallow light, thickest where the gas is.
      const float lanes = Smooth(0.0f, 0.45f, Fbm(px * 3.2f + 2 * w.qx, v * 3.2f + 2 * w.qy, 6, kSeed + 7));
      const float absorb = 1 - 0.85f * lanes * Smooth(0.02f, 0.4f, shape + 0.3f * milky);
      dust[static_cast<size_t>(y) * width + x] = absorb;
      out.at(x, y) = c * absorb;
      light.at(x, y) = gas * (glow * 0.45f * absorb);
    }
  }

  // Stars: many faint, few bright, crowding into the band.
  Random random(kSeed);
  const std::vector<Rgb> temperature = {Srgb(0x9DB8FF), Srgb(0xDDE6FF), Srgb(0xFFF6EA), Srgb(0xFFD9A8), Srgb(0xFFB27A)};
  const int count = static_cast<int>(width * height / 260.0f);
  for (int i = 0; i < count; ++i) {
    float sx = random.Unit() * width, sy = random.Unit() * height;
    const float band = BandDistance(sx * pixel, sy * pixel, aspect);
    if (random.Unit() > 0.25f + 0.75f * std::exp(-band * band / 0.02f)) continue;
    const float brightness = std::min(40.0f, 0.03f * std::pow(random.Unit() + 1e-4f, -1.1f));
    const Rgb colour = Ramp(temperature, random.Unit());
    const size_t at = static_cast<size_t>(sy) * width + static_cast<size_t>(sx);
    const Rgb star = colour * (brightness * dust[std::min(at, dust.size() - 1)]);
    const float r = (0.55f + 0.25f * std::min(1.0f, brightness)) * scale;
    light.Splat(sx, sy, std::max(0.5f, r), star);
    // The brightest wear the four spikes of a telescope's vanes.
    if (brightness > 12) {
      const float len = (4.0f + brightness * 0.8f) * scale;
      light.SplatOval(sx, sy, len, 0.55f * scale, star * 0.06f);
      light.SplatOval(sx, sy, 0.55f * scale, len, star * 0.06f);
    }
  }

  const Canvas bloom = Bloom(light, {0.0008f, 0.004f, 0.02f}, {0.6f, 0.35f, 0.25f});
  for (size_t p = 0; p < out.px.size(); ++p) out.px[p] += light.px[p] + bloom.px[p];
  return out;
}

}  // namespace samples
