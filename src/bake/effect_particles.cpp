#include "bake/effect_particles.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kTwoPi = 6.2831855f;
constexpr Rgb kWhite{1.0f, 1.0f, 1.0f};
constexpr Rgb kWarm{1.0f, 0.86f, 0.45f};
constexpr Rgb kCool{0.8f, 0.88f, 1.0f};

// Truncation toward zero that stays defined for coordinates far outside any
// frame (a float-to-int conversion out of range is undefined behaviour).
int32_t TruncClamped(float v) {
  if (!(v > -1.0e9f)) return -1000000000;
  if (v > 1.0e9f) return 1000000000;
  return static_cast<int32_t>(v);
}

void AddWeighted(float* pixel, Rgb colour, float w) {
  pixel[0] += w * colour.r;
  pixel[1] += w * colour.g;
  pixel[2] += w * colour.b;
}

}  // namespace

void SpawnParticles(BakeEffect& effect, ParticleSpawnContext& context, int32_t count, float sizeMin,
                    float sizeMax, float intensityMin, float intensityMax, float speedMin, float speedMax,
                    const Rgb* colour) {
  for (int32_t k = 0; k < count; ++k) {
    const float r1 = effect.NextRandom();
    const float r2 = effect.NextRandom();
    const float r3 = effect.NextRandom();
    const float r4 = effect.NextRandom();
    const float r5 = effect.NextRandom();
    const float r6 = effect.NextRandom();
    const float r7 = effect.NextRandom();
    EffectParticle p;
    p.x = r1;
    p.y = r2;
    p.size = (r3 * (sizeMax - sizeMin) + sizeMin) * context.sizeScale;
    p.intensity = r4 * (intensityMax - intensityMin) + intensityMin;
    p.phase1 = r5;
    p.speed = std::floor(r6 * (speedMax - speedMin + 1.0f) + speedMin);
    p.phase2 = r7;
    Rgb c;
    if (colour) {
      c = *colour;
    } else {
      c = context.palette[context.paletteCounter % 6];
      ++context.paletteCounter;
    }
    p.r = c.r;
    p.g = c.g;
    p.b = c.b;
    effect.particles.push_back(p);
  }
}

void SpawnPresetParticles(BakeEffect& effect, ParticleSpawnContext& c) {
  switch (EffectivePreset(effect.preset)) {
    case 3:
      SpawnParticles(effect, c, 260, 1.2f, 2.4f, 0.5f, 0.9f, 1, 1, &kWhite);
      SpawnParticles(effect, c, 120, 2.5f, 4.5f, 0.6f, 0.95f, 1, 2, &kWhite);
      SpawnParticles(effect, c, 30, 5.0f, 8.0f, 0.35f, 0.6f, 2, 2, &kWhite);
      break;
    case 4:
      SpawnParticles(effect, c, 420, 18.0f, 46.0f, 0.1f, 0.22f, 6, 10, &kCool);
      break;
    case 5:
      SpawnParticles(effect, c, 46, 7.0f, 16.0f, 0.6f, 1.0f, 1, 1, &kWarm);
      break;
    case 6:
      SpawnParticles(effect, c, 26, 40.0f, 110.0f, 0.1f, 0.22f, 1, 1, nullptr);
      break;
    case 9:
      SpawnParticles(effect, c, 14, 0.8f, 2.0f, 0.25f, 0.5f, 1, 1, &kWhite);
      break;
    case 10:
      SpawnParticles(effect, c, 95, 6.0f, 16.0f, 0.8f, 1.3f, 1, 1, &kWhite);
      break;
    default:
      break;
  }
}

void AddDisc(BakeEffect& effect, float cx, float cy, float radius, Rgb colour, float intensity) {
  const int32_t x0 = std::max(TruncClamped(cx - radius), 0);
  const int32_t x1 = std::min(TruncClamped(cx + radius), effect.width - 1);
  const int32_t y0 = std::max(TruncClamped(cy - radius), 0);
  const int32_t y1 = std::min(TruncClamped(cy + radius), effect.height - 1);
  const float r2 = radius * radius;
  float* frame = effect.frame.data();
  for (int32_t y = y0; y <= y1; ++y) {
    const float dy = static_cast<float>(y) - cy;
    float* row = frame + static_cast<size_t>(y) * effect.width * 3;
    for (int32_t x = x0; x <= x1; ++x) {
      const float dx = static_cast<float>(x) - cx;
      const float q = (dx * dx + dy * dy) / r2;
      if (q < 1.0f) {
        const float w = (1.0f - q) * (1.0f - q) * intensity;
        AddWeighted(row + x * 3, colour, w);
      }
    }
  }
}

void AddLine(BakeEffect& effect, float x0, float y0, float x1, float y1, Rgb colour, float intensity) {
  const float span = std::max(std::fabs(y1 - y0), std::fabs(x1 - x0));
  // A line longer than any frame only comes from nonsense coordinates.
  if (!(span < 1.0e6f)) return;
  const int32_t n = static_cast<int32_t>(span) + 1;
  for (int32_t i = 0; i <= n; ++i) {
    const float s = static_cast<float>(i) / static_cast<float>(n);
    const int32_t x = TruncClamped(x0 + (x1 - x0) * s);
    const int32_t y = TruncClamped(y0 + (y1 - y0) * s);
    if (x >= 0 && x < effect.width && y >= 0 && y < effect.height) {
      const float w = std::sin(s * 3.14159f) * intensity;
      AddWeighted(effect.frame.data() + (static_cast<size_t>(y) * effect.width + x) * 3, colour, w);
    }
  }
}

void DrawParticles(BakeEffect& effect, float t) {
  const int32_t preset = EffectivePreset(effect.preset);
  const float width = static_cast<float>(effect.width);
  const float height = static_cast<float>(effect.height);
  for (const EffectParticle& p : effect.particles) {
    const Rgb colour{p.r, p.g, p.b};
    switch (preset) {
      case 3: {
        const float a = t * p.speed;
        const float fall = std::fmod(a + p.y, 1.0f);
        const float px = width * p.x + std::sin(kTwoPi * (a + p.phase1)) * 18.0f * p.phase2 * (p.size * 0.5f);
        const float py = (height + 40.0f) * fall - 20.0f;
        AddDisc(effect, px, py, 1.6f * p.size, colour, p.intensity);
        break;
      }
      case 4: {
        const float fall = std::fmod(t * p.speed + p.y, 1.0f);
        const float x0 = (width + 200.0f) * p.x - 100.0f;
        const float y0 = (height + 200.0f) * fall - 100.0f;
        AddLine(effect, x0, y0, x0 + 0.22f * p.size, y0 + 2.2f * p.size, colour, p.intensity);
        break;
      }
      case 5: {
        const float px = (p.x + 0.04f * std::sin(kTwoPi * (t + p.phase1)) +
                          0.02f * std::sin(kTwoPi * (2.0f * t + p.phase2))) *
                         width;
        const float py = (p.y + 0.035f * std::cos(kTwoPi * (t + p.phase2)) +
                          0.015f * std::sin(kTwoPi * (3.0f * t + p.phase1))) *
                         height;
        const float half = 0.5f * std::sin(kTwoPi * (2.0f * t + p.phase1)) + 0.5f;
        const float pulse = half * half;
        const float k = 0.65f * pulse + 0.35f;
        AddDisc(effect, px, py, 2.4f * p.size, colour, k * p.intensity * 0.35f);
        AddDisc(effect, px, py, 0.5f * p.size, colour, k * p.intensity);
        break;
      }
      case 6: {
        const float rise = std::fmod(t + p.y, 1.0f);
        const float px = width * p.x + 20.0f * std::sin(kTwoPi * (t + p.phase1));
        const float py = (2.0f * p.size + height) * (1.0f - rise) - p.size;
        AddDisc(effect, px, py, p.size, colour, (0.7f + 0.3f * std::sin(kTwoPi * (t + p.phase2))) * p.intensity);
        break;
      }
      case 9:
        if (std::sin(kTwoPi * (5.0f * t + p.phase1)) > 0.92f)
          AddDisc(effect, width * p.x, height * p.y, 2.0f * p.size, Rgb{-0.5f, -0.5f, -0.5f}, p.intensity);
        break;
      case 10: {
        const float s = std::pow(std::max(std::sin(kTwoPi * (2.0f * t + p.phase1)), 0.0f), 6.0f);
        if (s < 0.02f) break;
        const float px = width * p.x;
        const float py = height * p.y;
        AddDisc(effect, px, py, 0.8f * p.size, colour, s * p.intensity);
        const float arm = 3.0f * p.size * s;
        AddLine(effect, px - arm, py, px + arm, py, colour, 0.8f * s * p.intensity);
        AddLine(effect, px, py - arm, px, py + arm, colour, 0.8f * s * p.intensity);
        break;
      }
      default:
        return;
    }
  }
}
