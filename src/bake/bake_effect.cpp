#include "bake/bake_effect.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "bake/effect_particles.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

float Channel(uint32_t pixel, int shift) { return static_cast<float>((pixel >> shift) & 0xFF); }

void SamplePalette(const BakeEffect& e, Rgb palette[6]) {
  for (int32_t k = 0; k < 6; ++k) {
    const int32_t px = ((k / 3 + 1) * e.width) / 3;
    const int32_t py = ((k % 3 + 1) * e.height) / 4;
    const uint32_t pixel = e.pixels[static_cast<size_t>(py) * e.width + px];
    const float r = Channel(pixel, 16) / 255.0f;
    const float g = Channel(pixel, 8) / 255.0f;
    const float b = Channel(pixel, 0) / 255.0f;
    // The floor keeps a black point from dividing by zero: it becomes grey.
    const float m = std::max({r, g, b, 0.01f});
    palette[k] = Rgb{r * 0.65f / m + 0.35f, g * 0.65f / m + 0.35f, b * 0.65f / m + 0.35f};
  }
}

void BuildCloudGrid(BakeEffect& e) {
  e.gridWidth = e.width / 8 + 40;
  e.gridHeight = e.height / 8 + 40;
  e.cloudGrid.assign(static_cast<size_t>(e.gridWidth) * e.gridHeight, 0.0f);
  std::vector<float> lattice;
  for (int32_t octave = 0; octave < 3; ++octave) {
    const int32_t cell = 64 >> octave;
    const int32_t columns = e.gridWidth / cell + 2;
    const int32_t rows = e.gridHeight / cell + 2;
    lattice.resize(static_cast<size_t>(columns) * rows);
    for (float& v : lattice) v = e.NextRandom();
    const float amplitude = 1.0f / static_cast<float>(1 << octave);
    for (int32_t gy = 0; gy < e.gridHeight; ++gy) {
      const float fy = static_cast<float>(gy) / static_cast<float>(cell);
      const int32_t iy = static_cast<int32_t>(fy);
      const float ty = fy - static_cast<float>(iy);
      const float sy = ty * ty * (3.0f - 2.0f * ty);
      const float* top = lattice.data() + static_cast<size_t>(iy) * columns;
      const float* bottom = top + columns;
      float* out = e.cloudGrid.data() + static_cast<size_t>(gy) * e.gridWidth;
      for (int32_t gx = 0; gx < e.gridWidth; ++gx) {
        const float fx = static_cast<float>(gx) / static_cast<float>(cell);
        const int32_t ix = static_cast<int32_t>(fx);
        const float tx = fx - static_cast<float>(ix);
        const float sx = tx * tx * (3.0f - 2.0f * tx);
        const float upper = top[ix] * (1.0f - sx) + top[ix + 1] * sx;
        const float lower = bottom[ix] * (1.0f - sx) + bottom[ix + 1] * sx;
        out[gx] += (upper * (1.0f - sy) + lower * sy) * amplitude;
      }
    }
  }
  for (float& v : e.cloudGrid) v /= 1.75f;
}

}  // namespace

float BakeEffect::NextRandom() {
  randomState = randomState * 1664525u + 1013904223u;
  return static_cast<float>(randomState >> 8) * 5.9604645e-8f;
}

void BakeEffect::Init(std::vector<uint32_t> picture, int32_t pictureWidth, int32_t pictureHeight,
                      int32_t presetIndex) {
  pixels = std::move(picture);
  // A picture that does not match its stated size is treated as no picture;
  // the frame stays empty and the encoder refuses it.
  if (pictureWidth < 2 || pictureHeight < 2 ||
      pixels.size() < static_cast<size_t>(pictureWidth) * static_cast<size_t>(pictureHeight)) {
    width = height = 0;
    preset = presetIndex;
    return;
  }
  width = pictureWidth;
  height = pictureHeight;
  preset = presetIndex;
  frame.assign(static_cast<size_t>(width) * height * 3, 0.0f);
  vignette.resize(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height) - 0.5f;
    for (int32_t x = 0; x < width; ++x) {
      const float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(width) - 0.5f;
      vignette[static_cast<size_t>(y) * width + x] = 1.2f * u * u + v * v;
    }
  }
  rowOffsets.assign(height, 0.0f);
  columnOffsets.assign(width, 0.0f);
  sourceX_.assign(width, 0.0f);
  sourceY_.assign(height, 0.0f);
  // Padded to whole groups of four for the plain path.
  columnIndex_.assign((width + 3) & ~3, 0);
  columnFraction_.assign((width + 3) & ~3, 0.0f);

  ParticleSpawnContext spawn;
  SamplePalette(*this, spawn.palette);
  spawn.sizeScale = static_cast<float>(std::max(width, height)) / 1920.0f;
  SpawnPresetParticles(*this, spawn);
  if (EffectivePreset(preset) == 8) BuildCloudGrid(*this);
}

namespace {

using F4 = float __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));

F4 Load4(const float* p) {
  F4 v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
F4 Splat(float f) { return F4{f, f, f, f}; }
F4 Clamp4(F4 v, float lo, float hi) {
  v = v < lo ? Splat(lo) : v;  // as std::max(v, lo)
  return hi < v ? Splat(hi) : v;  // as std::min(v, hi)
}
F4 ToFloat(I4 v) { return __builtin_convertvector(v, F4); }
I4 Trunc(F4 v) { return __builtin_convertvector(v, I4); }

// Writes four pixels' channels interleaved as RGB RGB RGB RGB.
void StoreRgb4(float* o, F4 r, F4 g, F4 b) {
  alignas(16) float ra[4], ga[4], ba[4];
  std::memcpy(ra, &r, sizeof ra);
  std::memcpy(ga, &g, sizeof ga);
  std::memcpy(ba, &b, sizeof ba);
  for (int k = 0; k < 4; ++k) {
    o[k * 3] = ra[k];
    o[k * 3 + 1] = ga[k];
    o[k * 3 + 2] = ba[k];
  }
}

}  // namespace

// Four pixels at a time wherever a row allows, the rest one by one; the
// vector lanes repeat the scalar arithmetic operation for operation, so both
// give the same bits.
template <bool kRipple, bool kCloud, bool kSunbeam, bool kFilm>
void BakeEffect::RenderBase(float t, float zoom, float dx, float dy, const float gain[3], float brightness,
                            float vignetteStrength) {
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  // The camera part of the source position is separable: one table per axis.
  for (int32_t x = 0; x < width; ++x) sourceX_[x] = (static_cast<float>(x) - 0.5f * w) / zoom + (0.5f + dx) * w;
  for (int32_t y = 0; y < height; ++y) sourceY_[y] = (static_cast<float>(y) - 0.5f * h) / zoom + (0.5f + dy) * h;
  const float maxX = w - 1.001f;
  const float maxY = h - 1.001f;
  const float ox = 14.0f * std::cos(kTwoPi * t) + 16.0f;
  const float oy = 10.0f * std::sin(kTwoPi * t) + 16.0f;
  uint32_t grain = static_cast<uint32_t>(static_cast<int64_t>(t * 100000.0f)) + 12345u;
  const float band0 = 1.7f * t - 0.35f;
  const uint32_t* src = pixels.data();
  const size_t stride = static_cast<size_t>(width);
  const F4 one = Splat(1.0f);
  const I4 byteMask = {255, 255, 255, 255};

  for (int32_t y = 0; y < height; ++y) {
    float* out = frame.data() + static_cast<size_t>(y) * width * 3;
    const float* vig = vignette.data() + static_cast<size_t>(y) * width;
    const float rowShift = rowOffsets[y];
    const float syBase = sourceY_[y];
    const float yf = static_cast<float>(y);
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
      F4 sx = Load4(&sourceX_[x]);
      F4 sy = Splat(syBase);
      if constexpr (kRipple) {
        sx = sx + rowShift;
        sy = sy + Load4(&columnOffsets[x]);
      }
      sx = Clamp4(sx, 0.0f, maxX);
      sy = Clamp4(sy, 0.0f, maxY);
      const I4 i = Trunc(sx), j = Trunc(sy);
      const F4 fx = sx - ToFloat(i), fy = sy - ToFloat(j);
      const F4 w00 = (one - fx) * (one - fy);
      const F4 w10 = fx * (one - fy);
      const F4 w01 = (one - fx) * fy;
      const F4 w11 = fx * fy;
      // Lanes are read out through arrays and gathered with braced lists:
      // element-wise access to vector registers is slow.
      alignas(16) int32_t ia[4], ja[4];
      std::memcpy(ia, &i, sizeof ia);
      std::memcpy(ja, &j, sizeof ja);
      const int32_t* s0 = reinterpret_cast<const int32_t*>(src + static_cast<size_t>(ja[0]) * stride + ia[0]);
      const int32_t* s1 = reinterpret_cast<const int32_t*>(src + static_cast<size_t>(ja[1]) * stride + ia[1]);
      const int32_t* s2 = reinterpret_cast<const int32_t*>(src + static_cast<size_t>(ja[2]) * stride + ia[2]);
      const int32_t* s3 = reinterpret_cast<const int32_t*>(src + static_cast<size_t>(ja[3]) * stride + ia[3]);
      const I4 a = {s0[0], s1[0], s2[0], s3[0]};
      const I4 b = {s0[1], s1[1], s2[1], s3[1]};
      const I4 c = {s0[stride], s1[stride], s2[stride], s3[stride]};
      const I4 d = {s0[stride + 1], s1[stride + 1], s2[stride + 1], s3[stride + 1]};
      const auto channel = [&](int shift) {
        const F4 ca = ToFloat((a >> shift) & byteMask), cb = ToFloat((b >> shift) & byteMask);
        const F4 cc = ToFloat((c >> shift) & byteMask), cd = ToFloat((d >> shift) & byteMask);
        return (ca * w00 + cb * w10 + cc * w01 + cd * w11) / 255.0f;
      };
      const F4 r = channel(16), g = channel(8), bl = channel(0);
      const F4 xf = {static_cast<float>(x), static_cast<float>(x + 1), static_cast<float>(x + 2),
                     static_cast<float>(x + 3)};
      F4 m = (one - vignetteStrength * Load4(vig + x)) * brightness;
      if constexpr (kCloud) {
        const F4 u = 0.125f * xf + ox;
        const F4 v = Splat(0.125f * yf + oy);
        const I4 gi = Trunc(u), gj = Trunc(v);
        const F4 gx = u - ToFloat(gi), gy = v - ToFloat(gj);
        alignas(16) int32_t gia[4], gja[4];
        std::memcpy(gia, &gi, sizeof gia);
        std::memcpy(gja, &gj, sizeof gja);
        const float* g0 = cloudGrid.data() + static_cast<size_t>(gja[0]) * gridWidth + gia[0];
        const float* g1 = cloudGrid.data() + static_cast<size_t>(gja[1]) * gridWidth + gia[1];
        const float* g2 = cloudGrid.data() + static_cast<size_t>(gja[2]) * gridWidth + gia[2];
        const float* g3 = cloudGrid.data() + static_cast<size_t>(gja[3]) * gridWidth + gia[3];
        const int32_t gw = gridWidth;
        const F4 q0 = {g0[0], g1[0], g2[0], g3[0]};
        const F4 q1 = {g0[1], g1[1], g2[1], g3[1]};
        const F4 q2 = {g0[gw], g1[gw], g2[gw], g3[gw]};
        const F4 q3 = {g0[gw + 1], g1[gw + 1], g2[gw + 1], g3[gw + 1]};
        const F4 n = q0 * ((one - gx) * (one - gy)) + q1 * (gx * (one - gy)) + q2 * ((one - gx) * gy) +
                     q3 * (gx * gy);
        const F4 cover = Clamp4((n - 0.42f) * 4.0f, 0.0f, 1.0f);
        m = m * (one - 0.26f * cover * cover * (3.0f - 2.0f * cover));
      }
      F4 R = m * gain[0] * r;
      F4 G = m * gain[1] * g;
      F4 B = m * gain[2] * bl;
      if constexpr (kSunbeam) {
        const F4 d0 = Splat(0.6f * yf / h) + 0.8f * xf / w - band0;
        const F4 e = -26.0f * d0 * d0;
        alignas(16) float ea[4];
        std::memcpy(ea, &e, sizeof ea);
        for (float& v : ea) v = std::exp(v);
        const F4 band = Load4(ea) * 0.15f;
        const F4 add = band * (1.15f - (R + G + B) * 0.3f / 3.0f);
        R += add;
        G += 0.85f * add;
        B += 0.55f * add;
      }
      if constexpr (kFilm) {
        alignas(16) float na[4];
        for (float& v : na) {
          grain = grain * 1664525u + 1013904223u;
          v = static_cast<float>(grain >> 9) * 1.1920929e-7f;
        }
        const F4 noise = Load4(na);
        const F4 luma = 0.3f * R + 0.59f * G + 0.11f * B;
        const F4 k = 0.25f * luma + 0.07f * (noise - 0.5f);
        R = 0.75f * R + k;
        G = 0.75f * G + k;
        B = 0.75f * B + k;
      }
      StoreRgb4(out + x * 3, R, G, B);
    }
    for (; x < width; ++x) {
      float sx = sourceX_[x];
      float sy = syBase;
      if constexpr (kRipple) {
        sx += rowShift;
        sy += columnOffsets[x];
      }
      sx = std::min(std::max(sx, 0.0f), maxX);
      sy = std::min(std::max(sy, 0.0f), maxY);
      const int32_t i = static_cast<int32_t>(sx);
      const int32_t j = static_cast<int32_t>(sy);
      const float fx = sx - static_cast<float>(i);
      const float fy = sy - static_cast<float>(j);
      const float w00 = (1.0f - fx) * (1.0f - fy);
      const float w10 = fx * (1.0f - fy);
      const float w01 = (1.0f - fx) * fy;
      const float w11 = fx * fy;
      const uint32_t* p0 = src + static_cast<size_t>(j) * stride + i;
      const uint32_t a = p0[0], b = p0[1], c = p0[stride], d = p0[stride + 1];
      const auto channel = [&](int shift) {
        return (Channel(a, shift) * w00 + Channel(b, shift) * w10 + Channel(c, shift) * w01 +
                Channel(d, shift) * w11) /
               255.0f;
      };
      const float r = channel(16), g = channel(8), bl = channel(0);
      float m = (1.0f - vignetteStrength * vig[x]) * brightness;
      if constexpr (kCloud) {
        const float u = 0.125f * static_cast<float>(x) + ox;
        const float v = 0.125f * yf + oy;
        const int32_t gi = static_cast<int32_t>(u);
        const int32_t gj = static_cast<int32_t>(v);
        const float gx = u - static_cast<float>(gi);
        const float gy = v - static_cast<float>(gj);
        const float* q = cloudGrid.data() + static_cast<size_t>(gj) * gridWidth + gi;
        const float n = q[0] * ((1.0f - gx) * (1.0f - gy)) + q[1] * (gx * (1.0f - gy)) +
                        q[gridWidth] * ((1.0f - gx) * gy) + q[gridWidth + 1] * (gx * gy);
        const float cover = std::min(std::max((n - 0.42f) * 4.0f, 0.0f), 1.0f);
        m = m * (1.0f - 0.26f * cover * cover * (3.0f - 2.0f * cover));
      }
      float R = m * gain[0] * r;
      float G = m * gain[1] * g;
      float B = m * gain[2] * bl;
      if constexpr (kSunbeam) {
        const float d0 = 0.6f * yf / h + 0.8f * static_cast<float>(x) / w - band0;
        const float band = std::exp(-26.0f * d0 * d0) * 0.15f;
        const float add = band * (1.15f - (R + G + B) * 0.3f / 3.0f);
        R += add;
        G += 0.85f * add;
        B += 0.55f * add;
      }
      if constexpr (kFilm) {
        grain = grain * 1664525u + 1013904223u;
        const float noise = static_cast<float>(grain >> 9) * 1.1920929e-7f;
        const float luma = 0.3f * R + 0.59f * G + 0.11f * B;
        const float k = 0.25f * luma + 0.07f * (noise - 0.5f);
        R = 0.75f * R + k;
        G = 0.75f * G + k;
        B = 0.75f * B + k;
      }
      out[x * 3] = R;
      out[x * 3 + 1] = G;
      out[x * 3 + 2] = B;
    }
  }
}

// The common case (no ripple, clouds, beam or grain) four pixels at a time.
// The arithmetic is the scalar path's, operation for operation, in vector
// registers, so both give the same bits; only the speed differs.
void BakeEffect::RenderPlain(float zoom, float dx, float dy, const float gain[3], float brightness,
                             float vignetteStrength) {
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float maxX = w - 1.001f;
  const float maxY = h - 1.001f;
  for (int32_t x = 0; x < width; ++x) {
    float sx = (static_cast<float>(x) - 0.5f * w) / zoom + (0.5f + dx) * w;
    sx = std::min(std::max(sx, 0.0f), maxX);
    columnIndex_[x] = static_cast<int32_t>(sx);
    columnFraction_[x] = sx - static_cast<float>(columnIndex_[x]);
  }
  const uint32_t* src = pixels.data();
  const size_t stride = static_cast<size_t>(width);
  const F4 one = {1.0f, 1.0f, 1.0f, 1.0f};
  const I4 byteMask = {255, 255, 255, 255};
  for (int32_t y = 0; y < height; ++y) {
    float sy = (static_cast<float>(y) - 0.5f * h) / zoom + (0.5f + dy) * h;
    sy = std::min(std::max(sy, 0.0f), maxY);
    const int32_t j = static_cast<int32_t>(sy);
    const float fy = sy - static_cast<float>(j);
    const uint32_t* top = src + static_cast<size_t>(j) * stride;
    const uint32_t* bottom = top + stride;
    float* out = frame.data() + static_cast<size_t>(y) * width * 3;
    const float* vig = vignette.data() + static_cast<size_t>(y) * width;
    int32_t x = 0;
    for (; x + 4 <= width; x += 4) {
      F4 fx, v;
      std::memcpy(&fx, &columnFraction_[x], sizeof fx);
      std::memcpy(&v, vig + x, sizeof v);
      const int32_t* t = reinterpret_cast<const int32_t*>(top);
      const int32_t* u = reinterpret_cast<const int32_t*>(bottom);
      const int32_t i0 = columnIndex_[x], i1 = columnIndex_[x + 1], i2 = columnIndex_[x + 2],
                    i3 = columnIndex_[x + 3];
      const I4 a = {t[i0], t[i1], t[i2], t[i3]};
      const I4 b = {t[i0 + 1], t[i1 + 1], t[i2 + 1], t[i3 + 1]};
      const I4 c = {u[i0], u[i1], u[i2], u[i3]};
      const I4 d = {u[i0 + 1], u[i1 + 1], u[i2 + 1], u[i3 + 1]};
      const F4 w00 = (one - fx) * (1.0f - fy);
      const F4 w10 = fx * (1.0f - fy);
      const F4 w01 = (one - fx) * fy;
      const F4 w11 = fx * fy;
      const auto channel = [&](int shift) {
        const F4 ca = __builtin_convertvector((a >> shift) & byteMask, F4);
        const F4 cb = __builtin_convertvector((b >> shift) & byteMask, F4);
        const F4 cc = __builtin_convertvector((c >> shift) & byteMask, F4);
        const F4 cd = __builtin_convertvector((d >> shift) & byteMask, F4);
        return (ca * w00 + cb * w10 + cc * w01 + cd * w11) / 255.0f;
      };
      const F4 m = (one - vignetteStrength * v) * brightness;
      const F4 R = m * gain[0] * channel(16);
      const F4 G = m * gain[1] * channel(8);
      const F4 B = m * gain[2] * channel(0);
      StoreRgb4(out + x * 3, R, G, B);
    }
    for (; x < width; ++x) {
      const int32_t i = columnIndex_[x];
      const float fx = columnFraction_[x];
      const float w00 = (1.0f - fx) * (1.0f - fy), w10 = fx * (1.0f - fy);
      const float w01 = (1.0f - fx) * fy, w11 = fx * fy;
      const uint32_t pa = top[i], pb = top[i + 1], pc = bottom[i], pd = bottom[i + 1];
      const auto channel = [&](int shift) {
        return (Channel(pa, shift) * w00 + Channel(pb, shift) * w10 + Channel(pc, shift) * w01 +
                Channel(pd, shift) * w11) /
               255.0f;
      };
      const float m = (1.0f - vignetteStrength * vig[x]) * brightness;
      out[x * 3] = m * gain[0] * channel(16);
      out[x * 3 + 1] = m * gain[1] * channel(8);
      out[x * 3 + 2] = m * gain[2] * channel(0);
    }
  }
}

void BakeEffect::RenderFrame(float t) {
  if (width < 2 || height < 2) return;
  const int32_t p = EffectivePreset(preset);
  const float theta = kTwoPi * t;

  float zoom = 1.07f + 0.02f * std::sin(theta);
  float dx = 0.012f * std::cos(theta);
  float dy = 0.009f * std::sin(theta);
  if (p == 1) {
    zoom = 1.05f + 0.035f * (0.5f - 0.5f * std::cos(theta));
    dx = dy = 0.0f;
  } else if (p == 9) {
    zoom = 1.05f + 0.006f * std::sin(18.849556f * t);
    dx = 0.004f * std::sin(12.566371f * t);
    dy = 0.003f * std::cos(31.415928f * t);
  }

  if (p == 2) {
    const float amplitude = static_cast<float>(std::max(width, height)) * 0.0025f;
    for (int32_t y = 0; y < height; ++y)
      rowOffsets[y] =
          amplitude * std::sin(kTwoPi * (3.0f * static_cast<float>(y) / static_cast<float>(height) + t));
    for (int32_t x = 0; x < width; ++x)
      columnOffsets[x] = 0.7f * amplitude *
                         std::sin(kTwoPi * (2.0f * static_cast<float>(x) / static_cast<float>(width) - 2.0f * t));
  } else {
    std::fill(rowOffsets.begin(), rowOffsets.end(), 0.0f);
    std::fill(columnOffsets.begin(), columnOffsets.end(), 0.0f);
  }

  float gain[3] = {1.0f, 1.0f, 1.0f};
  float brightness = 1.0f;
  float vignetteStrength = 0.18f;
  switch (p) {
    case 1:
      brightness = 1.0f + 0.025f * std::sin(theta);
      break;
    case 3:
      gain[0] = 0.96f, gain[1] = 0.99f, gain[2] = 1.04f;
      break;
    case 4:
      gain[0] = 0.92f, gain[1] = 0.97f, gain[2] = 1.06f;
      brightness = 0.86f, vignetteStrength = 0.30f;
      break;
    case 5:
      gain[0] = 0.95f, gain[1] = 0.95f, gain[2] = 1.02f;
      brightness = 0.82f, vignetteStrength = 0.40f;
      break;
    case 7:
      gain[0] = 1.05f, gain[1] = 1.00f, gain[2] = 0.92f;
      break;
    case 9:
      gain[0] = 1.06f, gain[1] = 1.00f, gain[2] = 0.86f;
      brightness = 1.0f + 0.02f * std::sin(43.9823f * t) + 0.012f * std::sin(81.68141f * t);
      vignetteStrength = 0.75f;
      break;
    default:
      break;
  }

  switch (p) {
    case 2:
      RenderBase<true, false, false, false>(t, zoom, dx, dy, gain, brightness, vignetteStrength);
      break;
    case 7:
      RenderBase<false, false, true, false>(t, zoom, dx, dy, gain, brightness, vignetteStrength);
      break;
    case 8:
      RenderBase<false, true, false, false>(t, zoom, dx, dy, gain, brightness, vignetteStrength);
      break;
    case 9:
      RenderBase<false, false, false, true>(t, zoom, dx, dy, gain, brightness, vignetteStrength);
      break;
    default:
      RenderPlain(zoom, dx, dy, gain, brightness, vignetteStrength);
      break;
  }
  DrawParticles(*this, t);
}
