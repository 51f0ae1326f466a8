// GIF canvas composition per frame on a 1920x1080 logical screen, and the
// placement of a picture.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "render/gif_canvas.h"
#include "render/placement.h"

namespace {

// A frame of random colours whose alpha is 255, 0 or partial in roughly equal
// shares, so every branch of the alpha rule is taken.
std::vector<uint32_t> MixedFrame(uint32_t w, uint32_t h) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  uint32_t s = 1;
  for (auto& v : p) {
    s = s * 1664525u + 1013904223u;
    const uint32_t pick = (s >> 28) % 3;
    const uint32_t alpha = pick == 0 ? 255u : pick == 1 ? 0u : (s >> 20) & 0xFF;
    v = alpha << 24 | (s & 0xFFFFFF);
  }
  return p;
}

void BM_GifComposeFullFrame(benchmark::State& state) {
  GifCanvas canvas;
  canvas.Allocate(1920, 1080, 16384);
  const std::vector<uint32_t> frame = MixedFrame(1920, 1080);
  uint32_t index = 0;
  for (auto _ : state) {
    canvas.BeginFrame(index);
    canvas.disposal = 2;  // the next frame clears this one's area first
    canvas.Compose(canvas.Place(0, 0, 1920, 1080), frame.data());
    benchmark::DoNotOptimize(canvas.pixels().data());
    index = (index + 1) % 8;
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_GifComposeFullFrame)->Unit(benchmark::kMillisecond);

void BM_GifComposeOpaqueFrame(benchmark::State& state) {
  GifCanvas canvas;
  canvas.Allocate(1920, 1080, 16384);
  const std::vector<uint32_t> frame(1920 * 1080, 0xFF336699u);
  for (auto _ : state) {
    canvas.BeginFrame(1);
    canvas.Compose(canvas.Place(0, 0, 1920, 1080), frame.data());
    benchmark::DoNotOptimize(canvas.pixels().data());
  }
  state.SetItemsProcessed(state.iterations() * 1920 * 1080);
}
BENCHMARK(BM_GifComposeOpaqueFrame)->Unit(benchmark::kMillisecond);

void BM_ComputeUvRect(benchmark::State& state) {
  FrameMap frames;
  frames[u"\\\\?\\DISPLAY#ABC1234#5&1a2b3c4d&0&UID4352#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}"] = {0.4f, 0.6f, 1.5f};
  frames[u"span"] = {0.5f, 0.5f, 2.0f};
  const std::u16string key = u"\\\\?\\DISPLAY#ABC1234#5&1a2b3c4d&0&UID4352#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}";
  uint32_t w = 3840;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ComputeUvRect(frames, key, w, 2160, 1920, 1080));
    w = w == 3840 ? 1080 : 3840;
  }
}
BENCHMARK(BM_ComputeUvRect);

void BM_ComputeFitRect(benchmark::State& state) {
  uint32_t w = 1000;
  for (auto _ : state) {
    benchmark::DoNotOptimize(ComputeFitRect(w, 1000, 1920, 1080));
    w = w == 1000 ? 4000 : 1000;
  }
}
BENCHMARK(BM_ComputeFitRect);

}  // namespace
