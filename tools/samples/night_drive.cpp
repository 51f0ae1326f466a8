// Night drive: a wet road runs to a city on the horizon under sodium street
// lights; tail lights ahead, head lights coming, every light mirrored in the
// asphalt and blooming as in a lens.
#include <algorithm>

#include "scenes.h"

namespace samples {

namespace {

constexpr uint32_t kSeed = 7207;
constexpr float kHorizon = 0.585f;  // v of the vanishing point
constexpr float kEye = 1.25f;       // camera height above the road, metres
constexpr float kEyeX = 1.8f;       // we drive in the right-hand lane
constexpr float kHalfRoad = 3.7f;

struct View {
  int width, height;
  // Screen pixel of a world point X (across), height Y, distance Z.
  float Sx(float X, float Z) const { return width * 0.5f + (X - kEyeX) / Z * height; }
  float Sy(float Y, float Z) const { return (kHorizon - (Y - kEye) / Z) * height; }
};

struct Light {
  float X, Y, Z;
  Rgb colour;
  float size;  // metres
};

std::vector<Light> StreetLights() {
  std::vector<Light> lights;
  for (int k = 0; k < 36; ++k) {
    const float z = 24.0f + k * 32.0f;
    for (int side : {-1, 1}) lights.push_back({side * 5.2f, 7.5f, z + (side > 0 ? 16.0f : 0.0f), Srgb(0xFFB45C), 0.28f});
  }
  return lights;
}

std::vector<Light> CarLights() {
  const Rgb tail = Srgb(0xFF1E14) * 1.6f, head = Srgb(0xFFF1DC) * 3.0f;
  std::vector<Light> lights;
  const struct {
    float x, z;
    bool oncoming;
  } cars[] = {{1.9f, 34.0f, false}, {1.6f, 95.0f, false}, {-1.9f, 60.0f, true}, {-1.7f, 210.0f, true},
              {2.0f, 260.0f, false}, {-1.8f, 420.0f, true}};
  for (const auto& car : cars)
    for (int side : {-1, 1})
      lights.push_back({car.x + side * 0.72f, car.oncoming ? 0.7f : 0.85f, car.z, car.oncoming ? head : tail,
                        car.oncoming ? 0.16f : 0.11f});
  return lights;
}

Rgb Sky(float u, float v, float aspect) {
  const float s = v / kHorizon;
  Rgb c = Ramp({Srgb(0x03050C), Srgb(0x070B1A), Srgb(0x121531), Srgb(0x3A2542), Srgb(0x8A4A3C)}, s);
  // Light pollution over the city, brightest above downtown.
  const float dx = (u - 0.5f) * aspect;
  c += Srgb(0xC8703A) * (0.35f * std::exp(-dx * dx / 0.12f) * std::exp(-(kHorizon - v) / 0.08f));
  return c;
}

// The skyline's height (in v) at screen column u: towers downtown, low blocks
// toward the edges.
float Skyline(float u, float aspect, float pixel, uint32_t* buildingId, float* left, float* right) {
  const float px = u * aspect;
  const float width = 0.011f;
  const int k = static_cast<int>(std::floor(px / width));
  float best = 0;
  for (int j = k - 1; j <= k + 1; ++j) {
    const float centre = (j + 0.5f) * width;
    const float half = width * (0.35f + 0.45f * Hash01(j, 1, kSeed));
    if (std::fabs(px - centre) > half) continue;
    const float d = (centre / aspect - 0.5f) * aspect;
    const float envelope = 0.012f + 0.10f * std::exp(-d * d / 0.035f) + 0.02f * (0.5f + Fbm1(centre * 6, 3, kSeed + 2));
    const float h = envelope * (0.35f + 0.65f * std::pow(Hash01(j, 2, kSeed), 1.5f));
    if (h > best) {
      best = h;
      *buildingId = static_cast<uint32_t>(j);
      *left = centre - half;
      *right = centre + half;
    }
  }
  (void)pixel;
  return kHorizon - best;
}

}  // namespace

Canvas NightDrive(int width, int height) {
  Canvas out(width, height), light(width, height);
  const float aspect = float(width) / height, pixel = 1.0f / height, scale = height / 1440.0f;
  const View view{width, height};
  const std::vector<Light> street = StreetLights(), cars = CarLights();

  for (int y = 0; y < height; ++y) {
    const float v = (y + 0.5f) * pixel;
    for (int x = 0; x < width; ++x) {
      const float u = (x + 0.5f) / width;
      Rgb c;
      if (v < kHorizon) {
        c = Sky(u, v, aspect);
        uint32_t id = 0;
        float left = 0, right = 0;
        const float top = Skyline(u, aspect, pixel, &id, &left, &right);
        if (v > top) {
          c = Mix(Srgb(0x07070D), Srgb(0x1C1420), Smooth(kHorizon - 0.02f, kHorizon, v));
          // Lit windows on a grid of their own per building.
          const float px = u * aspect;
          const float wx = (px - left) / 0.0023f, wy = (kHorizon - v) / 0.0031f;
          const int cx = static_cast<int>(wx), cy = static_cast<int>(wy);
          const float fx = wx - cx, fy = wy - cy;
          const float lit = Hash01(cx + static_cast<int>(id) * 97, cy, kSeed + 5);
          const float floorLit = Hash01(static_cast<int>(id), cy / 3, kSeed + 6);
          if (fx > 0.25f && fx < 0.8f && fy > 0.3f && fy < 0.8f && px < right - 0.0012f && lit < 0.25f + 0.4f * floorLit) {
            const Rgb tone = Hash01(cx, cy + static_cast<int>(id), kSeed + 7) < 0.75f ? Srgb(0xFFC27A) : Srgb(0xA9D4FF);
            light.at(x, y) += tone * (0.25f + 0.35f * Hash01(cx, cy, kSeed + 8));
          }
        }
        // Low mist lit orange by the city.
        const float mist = std::exp(-std::pow((kHorizon - v) / 0.018f, 2.0f));
        c = Mix(c, Srgb(0x6A3E36), mist * 0.55f);
      } else {
        // Ground: world position of this pixel on the road plane.
        const float Z = kEye / ((v - kHorizon) + 1e-5f);
        const float X = kEyeX + (u - 0.5f) * aspect * Z;
        const float onRoad = Smooth(kHalfRoad + 0.05f, kHalfRoad - 0.05f, std::fabs(X));
        const float grain = 0.5f + 0.5f * Fbm(X * 1.7f, Z * 0.9f, 4, kSeed + 20);
        Rgb surface = Mix(Rgb{0.020f, 0.024f, 0.018f} * (0.6f + 0.8f * grain), Rgb{0.05f, 0.05f, 0.055f} * (0.7f + 0.6f * grain),
                          onRoad);
        // Paint: a dashed centre line, solid edges.
        const bool dash = std::fmod(Z + 1000.0f, 12.0f) < 4.5f;
        const float paint = std::max(dash ? Smooth(0.09f, 0.06f, std::fabs(X)) : 0.0f,
                                     Smooth(0.10f, 0.07f, std::fabs(std::fabs(X) - (kHalfRoad - 0.25f))));
        surface = Mix(surface, Rgb{0.45f, 0.45f, 0.4f}, paint * onRoad * 0.8f);
        // Pools of sodium light, falling off with distance from each lamp.
        Rgb lit;
        for (const Light& l : street) {
          const float dx = X - l.X, dz = Z - l.Z;
          const float d2 = dx * dx + dz * dz + l.Y * l.Y;
          lit += l.colour * (l.Y * 300.0f / (d2 * std::sqrt(d2)));
        }
        c = surface * (Rgb{0.04f, 0.05f, 0.09f} + lit);
        // The wet asphalt mirrors the glowing sky.
        c += Sky(u, 2 * kHorizon - v, aspect) * (0.22f * onRoad * (0.6f + 0.4f * grain));
        // Distance fog towards the horizon.
        c = Mix(c, Srgb(0x3A2430), Smooth(25.0f, 500.0f, Z) * 0.85f);
      }
      out.at(x, y) = c;
    }
  }

  // Lamps, their reflections in the wet road and the cars' lights.
  auto place = [&](const std::vector<Light>& lights, float glow, float reflect) {
    for (const Light& l : lights) {
      const float sx = view.Sx(l.X, l.Z), sy = view.Sy(l.Y, l.Z);
      const float r = std::max(0.7f * scale, l.size / l.Z * height);
      light.Splat(sx, sy, r, l.colour * glow);
      // A reflection stretches toward the viewer and breaks up on the asphalt.
      const float ry = view.Sy(-l.Y, l.Z);
      const float len = std::max(2.0f * scale, (view.Sy(0, l.Z * 0.55f) - view.Sy(0, l.Z)) * 0.9f);
      light.SplatOval(sx, ry, r * 1.3f, len, l.colour * (reflect * std::min(1.0f, r / (2.0f * scale))));
    }
  };
  place(street, 9.0f, 0.10f);
  place(cars, 10.0f, 0.16f);

  // Poles: thin dark lines from the ground up to each lamp.
  for (const Light& l : street) {
    const float sx = view.Sx(l.X, l.Z), top = view.Sy(l.Y, l.Z), bottom = view.Sy(0, l.Z);
    const float half = std::max(0.45f * scale, 0.12f / l.Z * height);
    for (int y = std::max(0, int(top)); y < std::min(height, int(bottom)); ++y)
      for (int x = std::max(0, int(sx - half - 1)); x <= std::min(width - 1, int(sx + half + 1)); ++x) {
        const float cover = Clamp01(half + 0.5f - std::fabs(x + 0.5f - sx));
        out.at(x, y) = Mix(out.at(x, y), Srgb(0x0A0A0E), cover * 0.9f);
      }
  }

  // A few stars and a thin moon high up.
  Random random(kSeed);
  for (int i = 0; i < 260; ++i) {
    const float sx = random.Unit() * width, sy = random.Unit() * random.Unit() * kHorizon * 0.7f * height;
    light.Splat(sx, sy, 0.6f * scale, Srgb(0xDDE6FF) * (0.05f + 0.25f * std::pow(random.Unit(), 4.0f)));
  }
  const float mx = 0.80f * width, my = 0.15f * height, mr = 0.022f * height;
  for (int y = int(my - mr - 2); y <= int(my + mr + 2); ++y)
    for (int x = int(mx - mr - 2); x <= int(mx + mr + 2); ++x) {
      const float d = std::hypot(x + 0.5f - mx, y + 0.5f - my), shadow = std::hypot(x + 0.5f - mx - mr * 0.45f, y + 0.5f - my + mr * 0.2f);
      const float crescent = Clamp01(mr - d + 0.5f) * Clamp01(shadow - mr * 0.92f + 0.5f);
      light.at(x, y) += Srgb(0xFFF4DA) * (1.6f * crescent);
    }

  const Canvas bloom = Bloom(light, {0.0012f, 0.006f, 0.025f}, {0.9f, 0.5f, 0.35f});
  for (size_t p = 0; p < out.px.size(); ++p) out.px[p] += light.px[p] + bloom.px[p];
  return out;
}

}  // namespace samples
