#pragma once
// The animated effect that turns one still picture into the frames of a
// seamless loop. Pure computation: no files, threads or platform calls.
#include <cstdint>
#include <string_view>
#include <vector>

inline constexpr int32_t kPresetCount = 11;
// Shown to the user and part of baked file names; the index is the preset.
inline constexpr std::u16string_view kPresetNames[kPresetCount] = {
    u"Gentle drift", u"Breathe",       u"Dreamy ripple", u"Snowfall",     u"Rainy day", u"Fireflies",
    u"Bokeh lights", u"Sunbeam",       u"Cloud shadows", u"Vintage film", u"Sparkle",
};

struct EffectParticle {
  float x;          // fraction of the width
  float y;          // fraction of the height, or fall phase
  float size;       // pixels, already scaled to the picture
  float intensity;
  float phase1;
  float speed;      // whole passes or cycles per loop
  float phase2;
  float r, g, b;
};

struct BakeEffect {
  int32_t width = 0;
  int32_t height = 0;
  int32_t preset = 0;
  std::vector<uint32_t> pixels;  // 0xAARRGGBB, row-major, top row first
  std::vector<float> frame;      // R, G, B per pixel; may leave 0..1, the encoder clamps
  std::vector<float> vignette;
  std::vector<float> cloudGrid;  // only for Cloud shadows
  int32_t gridWidth = 0;
  int32_t gridHeight = 0;
  std::vector<EffectParticle> particles;
  std::vector<float> rowOffsets;
  std::vector<float> columnOffsets;
  uint32_t randomState = 7;  // fixed seed: the same picture always gives the same video

  void Init(std::vector<uint32_t> picture, int32_t pictureWidth, int32_t pictureHeight, int32_t presetIndex);
  // Overwrites the frame for loop phase t in [0, 1). Depends only on t and on
  // what Init built, so frames may be rendered in any order and again.
  void RenderFrame(float t);
  float NextRandom();

 private:
  // Per-frame sampling tables, sized once in Init so frames allocate nothing.
  std::vector<float> sourceX_;
  std::vector<float> sourceY_;
  std::vector<int32_t> columnIndex_;
  std::vector<float> columnFraction_;
  void RenderPlain(float zoom, float dx, float dy, const float gain[3], float brightness, float vignetteStrength);
  template <bool kRipple, bool kCloud, bool kSunbeam, bool kFilm>
  void RenderBase(float t, float zoom, float dx, float dy, const float gain[3], float brightness,
                  float vignetteStrength);
};

// Any preset number outside 1..10 renders as Gentle drift; the child mode
// passes its number through unchecked.
inline int32_t EffectivePreset(int32_t preset) { return preset >= 1 && preset <= 10 ? preset : 0; }
