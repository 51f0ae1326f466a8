#include "canvas.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace samples {

namespace {

float ToLinear(float c) { return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f); }
float ToSrgbCurve(float c) { return c <= 0.0031308f ? c * 12.92f : 1.055f * std::pow(c, 1 / 2.4f) - 0.055f; }

// Unit gradients at 256 evenly spaced angles, shared by every noise call.
const std::array<std::array<float, 2>, 256>& Gradients() {
  static const auto table = [] {
    std::array<std::array<float, 2>, 256> t{};
    for (int i = 0; i < 256; ++i) {
      const double a = 6.283185307179586 * (i + 0.5) / 256.0;
      t[i] = {static_cast<float>(std::cos(a)), static_cast<float>(std::sin(a))};
    }
    return t;
  }();
  return table;
}

float Fade(float t) { return t * t * t * (t * (t * 6 - 15) + 10); }

// The filmic curve of the usual ACES fit: a soft shoulder, so lights glow
// instead of clipping flat.
float Filmic(float x) { return std::clamp((x * (2.51f * x + 0.03f)) / (x * (2.43f * x + 0.59f) + 0.14f), 0.0f, 1.0f); }

void BlurLine(Rgb* line, int count, int stride, int radius, std::vector<Rgb>& scratch) {
  scratch.resize(count);
  for (int i = 0; i < count; ++i) scratch[i] = line[static_cast<size_t>(i) * stride];
  const float k = 1.0f / (2 * radius + 1);
  Rgb sum;
  for (int i = -radius; i <= radius; ++i) sum += scratch[std::clamp(i, 0, count - 1)];
  for (int i = 0; i < count; ++i) {
    line[static_cast<size_t>(i) * stride] = sum * k;
    sum += scratch[std::min(i + radius + 1, count - 1)] - scratch[std::max(i - radius, 0)];
  }
}

void PutChunk(std::FILE* f, const char* type, const uint8_t* data, uint32_t size) {
  const uint8_t length[4] = {uint8_t(size >> 24), uint8_t(size >> 16), uint8_t(size >> 8), uint8_t(size)};
  std::fwrite(length, 1, 4, f);
  std::fwrite(type, 1, 4, f);
  if (size) std::fwrite(data, 1, size, f);
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type), 4);
  if (size) crc = crc32(crc, data, size);
  const uint8_t c[4] = {uint8_t(crc >> 24), uint8_t(crc >> 16), uint8_t(crc >> 8), uint8_t(crc)};
  std::fwrite(c, 1, 4, f);
}

uint8_t Paeth(int a, int b, int c) {
  const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  return static_cast<uint8_t>(pa <= pb && pa <= pc ? a : pb <= pc ? b : c);
}

}  // namespace

Rgb Srgb(uint32_t hex) {
  return {ToLinear(((hex >> 16) & 255) / 255.0f), ToLinear(((hex >> 8) & 255) / 255.0f), ToLinear((hex & 255) / 255.0f)};
}

Rgb Ramp(const std::vector<Rgb>& stops, float t) {
  const float x = Clamp01(t) * (stops.size() - 1);
  const size_t i = std::min(static_cast<size_t>(x), stops.size() - 2);
  return Mix(stops[i], stops[i + 1], Smooth(0, 1, x - i));
}

void Canvas::SplatOval(float cx, float cy, float sigmaX, float sigmaY, Rgb colour) {
  const int reachX = static_cast<int>(sigmaX * 3.5f) + 1, reachY = static_cast<int>(sigmaY * 3.5f) + 1;
  const int x0 = std::max(0, static_cast<int>(cx) - reachX), x1 = std::min(width - 1, static_cast<int>(cx) + reachX);
  const int y0 = std::max(0, static_cast<int>(cy) - reachY), y1 = std::min(height - 1, static_cast<int>(cy) + reachY);
  const float kx = -0.5f / (sigmaX * sigmaX), ky = -0.5f / (sigmaY * sigmaY);
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const float dx = x + 0.5f - cx, dy = y + 0.5f - cy;
      at(x, y) += colour * std::exp(dx * dx * kx + dy * dy * ky);
    }
}

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
  uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^ static_cast<uint32_t>(y) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return h;
}

float Noise(float x, float y, uint32_t seed) {
  const float fx = std::floor(x), fy = std::floor(y);
  const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
  const float dx = x - fx, dy = y - fy;
  const auto& g = Gradients();
  auto corner = [&](int32_t cx, int32_t cy, float ox, float oy) {
    const auto& v = g[Hash(ix + cx, iy + cy, seed) & 255];
    return v[0] * ox + v[1] * oy;
  };
  const float u = Fade(dx), v = Fade(dy);
  const float top = Lerp(corner(0, 0, dx, dy), corner(1, 0, dx - 1, dy), u);
  const float bottom = Lerp(corner(0, 1, dx, dy - 1), corner(1, 1, dx - 1, dy - 1), u);
  return Lerp(top, bottom, v) * 1.41421356f;
}

float Noise1(float x, uint32_t seed) {
  const float fx = std::floor(x);
  const int32_t ix = static_cast<int32_t>(fx);
  const float d = x - fx;
  const float a = Hash01(ix, 0, seed) * 2 - 1, b = Hash01(ix + 1, 0, seed) * 2 - 1;
  return Lerp(a * d, b * (d - 1), Fade(d)) * 2.0f;
}

float Fbm(float x, float y, int octaves, uint32_t seed, float gain) {
  // About 37 degrees a turn, and a lacunarity just off 2 so octaves never line up.
  constexpr float c = 0.79863551f, s = 0.60181502f;
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * Noise(x, y, seed + o * 1013);
    norm += amp;
    const float nx = (c * x - s * y) * 2.03f, ny = (s * x + c * y) * 2.03f;
    x = nx + 17.1f;
    y = ny - 9.7f;
    amp *= gain;
  }
  return sum / norm;
}

float Fbm1(float x, int octaves, uint32_t seed, float gain) {
  float sum = 0, amp = 0.5f, norm = 0;
  for (int o = 0; o < octaves; ++o) {
    sum += amp * Noise1(x, seed + o * 7919);
    norm += amp;
    x = x * 2.07f + 3.3f;
    amp *= gain;
  }
  return sum / norm;
}

float RidgedFbm1(float x, int octaves, uint32_t seed) {
  float sum = 0, amp = 0.5f, norm = 0, weight = 1;
  for (int o = 0; o < octaves; ++o) {
    float n = 1 - std::fabs(Noise1(x, seed + o * 7919));
    n *= n;
    sum += amp * n * weight;
    norm += amp;
    weight = Clamp01(n * 1.5f);
    x = x * 2.11f + 5.1f;
    amp *= 0.5f;
  }
  return sum / norm;
}

uint32_t Random::Next() {
  state = state * 6364136223846793005ull + 1442695040888963407ull;
  const uint32_t x = static_cast<uint32_t>(((state >> 18) ^ state) >> 27);
  const uint32_t r = static_cast<uint32_t>(state >> 59);
  return (x >> r) | (x << ((32 - r) & 31));
}

void BoxBlur(Canvas& c, int radius) {
  if (radius < 1) return;
  std::vector<Rgb> scratch;
  for (int y = 0; y < c.height; ++y) BlurLine(&c.at(0, y), c.width, 1, radius, scratch);
  for (int x = 0; x < c.width; ++x) BlurLine(&c.at(x, 0), c.height, c.width, radius, scratch);
}

Canvas Bloom(const Canvas& light, const std::vector<float>& radii, const std::vector<float>& weights) {
  Canvas out(light.width, light.height);
  for (size_t i = 0; i < radii.size(); ++i) {
    Canvas blurred = light;
    // Three box passes make a near-Gaussian of this sigma.
    const float sigma = radii[i] * light.width;
    const int box = std::max(1, static_cast<int>(std::lround((std::sqrt(4 * sigma * sigma + 1) - 1) / 2)));
    for (int pass = 0; pass < 3; ++pass) BoxBlur(blurred, box);
    for (size_t p = 0; p < out.px.size(); ++p) out.px[p] += blurred.px[p] * weights[i];
  }
  return out;
}

std::vector<uint8_t> ToSrgb8(const Canvas& c, float exposure) {
  std::vector<uint8_t> out(c.px.size() * 3);
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x) {
      const Rgb p = c.px[static_cast<size_t>(y) * c.width + x];
      const float v[3] = {p.r, p.g, p.b};
      for (int ch = 0; ch < 3; ++ch) {
        // Triangular dither of one step keeps the long gradients free of bands.
        const float dither = Hash01(x, y, 101 + ch) + Hash01(x, y, 211 + ch) - 1;
        const float s = ToSrgbCurve(Filmic(std::max(0.0f, v[ch]) * exposure)) * 255 + 0.5f + dither;
        out[(static_cast<size_t>(y) * c.width + x) * 3 + ch] = static_cast<uint8_t>(std::clamp(s, 0.0f, 255.0f));
      }
    }
  return out;
}

bool WritePng(const std::string& path, int width, int height, const std::vector<uint8_t>& rgb) {
  const size_t stride = static_cast<size_t>(width) * 3;
  std::vector<uint8_t> filtered((stride + 1) * height);
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = &rgb[y * stride];
    const uint8_t* up = y ? row - stride : nullptr;
    uint8_t* out = &filtered[y * (stride + 1)];
    out[0] = 4;  // Paeth: the smallest files for soft pictures
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= 3 ? row[i - 3] : 0, b = up ? up[i] : 0, c = (up && i >= 3) ? up[i - 3] : 0;
      out[i + 1] = static_cast<uint8_t>(row[i] - Paeth(a, b, c));
    }
  }
  uLongf packedSize = compressBound(filtered.size());
  std::vector<uint8_t> packed(packedSize);
  if (compress2(packed.data(), &packedSize, filtered.data(), filtered.size(), 6) != Z_OK) return false;
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::fwrite(kSignature, 1, 8, f);
  const uint8_t header[13] = {uint8_t(width >> 24), uint8_t(width >> 16), uint8_t(width >> 8), uint8_t(width),
                              uint8_t(height >> 24), uint8_t(height >> 16), uint8_t(height >> 8), uint8_t(height),
                              8, 2, 0, 0, 0};
  PutChunk(f, "IHDR", header, 13);
  PutChunk(f, "IDAT", packed.data(), static_cast<uint32_t>(packedSize));
  PutChunk(f, "IEND", nullptr, 0);
  const bool ok = std::ferror(f) == 0;
  return std::fclose(f) == 0 && ok;
}

}  // namespace samples
