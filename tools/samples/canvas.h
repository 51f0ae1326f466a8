#pragma once
// What the sample pictures are painted with: a linear-light float canvas,
// hashed noise, blur for glow, and the way out to 8-bit sRGB PNG. Everything
// is a pure function of its arguments, so a picture is the same every run.
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace samples {

struct Rgb {
  float r = 0, g = 0, b = 0;
};
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator-(Rgb a, Rgb b) { return {a.r - b.r, a.g - b.g, a.b - b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb operator*(Rgb a, Rgb b) { return {a.r * b.r, a.g * b.g, a.b * b.b}; }
inline Rgb& operator+=(Rgb& a, Rgb b) { return a = a + b; }
inline Rgb Mix(Rgb a, Rgb b, float t) { return a + (b - a) * t; }

inline float Clamp01(float v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
inline float Smooth(float e0, float e1, float v) {
  const float t = Clamp01((v - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
inline float Lerp(float a, float b, float t) { return a + (b - a) * t; }

// An sRGB colour written as in a paint program, turned into linear light.
Rgb Srgb(uint32_t hex);

// A colour ramp over [0, 1] through evenly spaced stops.
Rgb Ramp(const std::vector<Rgb>& stops, float t);

struct Canvas {
  int width = 0, height = 0;
  std::vector<Rgb> px;
  Canvas(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * h) {}
  Rgb& at(int x, int y) { return px[static_cast<size_t>(y) * width + x]; }
  // Adds a round soft spot (a Gaussian of the given radius in pixels).
  void Splat(float cx, float cy, float sigma, Rgb colour) { SplatOval(cx, cy, sigma, sigma, colour); }
  // The same stretched: a streak of light, as on a wet road or a lens.
  void SplatOval(float cx, float cy, float sigmaX, float sigmaY, Rgb colour);
};

// Integer hash of a lattice point: the root of every random choice.
uint32_t Hash(int32_t x, int32_t y, uint32_t seed);
inline float Hash01(int32_t x, int32_t y, uint32_t seed) { return (Hash(x, y, seed) >> 8) * (1.0f / 16777216.0f); }

// Gradient noise in about [-1, 1]; fbm sums octaves turned against each other
// so no lattice direction shows.
float Noise(float x, float y, uint32_t seed);
float Noise1(float x, uint32_t seed);
float Fbm(float x, float y, int octaves, uint32_t seed, float gain = 0.5f);
float Fbm1(float x, int octaves, uint32_t seed, float gain = 0.5f);
// Sharp crests, as of rock ridges: 1 - |noise| sharpened, in [0, 1].
float RidgedFbm1(float x, int octaves, uint32_t seed);

// A small deterministic generator for scattering things.
struct Random {
  uint64_t state;
  explicit Random(uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
  uint32_t Next();
  float Unit() { return (Next() >> 8) * (1.0f / 16777216.0f); }
  float Range(float a, float b) { return a + (b - a) * Unit(); }
};

// Glow: the canvas blurred at several radii (fractions of the width) and
// weighted, as a lens spreads bright light.
Canvas Bloom(const Canvas& light, const std::vector<float>& radii, const std::vector<float>& weights);
void BoxBlur(Canvas& c, int radius);

// Filmic tone curve, sRGB encoding and a fixed triangular dither into 8-bit
// RGB rows; then a PNG file. Returns false when the file cannot be written.
std::vector<uint8_t> ToSrgb8(const Canvas& c, float exposure);
bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace samples
