// RenderFrame of every preset on a 1920x1080 picture, one thread, and the
// NV12 conversion of one such frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bake/bake_effect.h"
#include "bake/encode_loop.h"

namespace {

std::vector<uint32_t> BenchPicture(int32_t w, int32_t h) {
  std::vector<uint32_t> p(static_cast<size_t>(w) * h);
  uint32_t s = 1;
  for (auto& v : p) {
    s = s * 1664525u + 1013904223u;
    v = 0xFF000000u | (s >> 8);
  }
  return p;
}

void BM_RenderFrame(benchmark::State& state) {
  const int32_t preset = static_cast<int32_t>(state.range(0));
  BakeEffect effect;
  effect.Init(BenchPicture(1920, 1080), 1920, 1080, preset);
  int frame = 0;
  for (auto _ : state) {
    effect.RenderFrame(static_cast<float>(frame % 360) / 360.0f);
    benchmark::DoNotOptimize(effect.frame.data());
    frame += 37;
  }
  state.SetLabel(std::string(kPresetNames[preset].begin(), kPresetNames[preset].end()));
}

void BM_ConvertToNv12(benchmark::State& state) {
  BakeEffect effect;
  effect.Init(BenchPicture(1920, 1080), 1920, 1080, 3);
  effect.RenderFrame(0.25f);
  std::vector<uint8_t> nv12(1920 * 1080 * 3 / 2);
  for (auto _ : state) {
    ConvertToNv12(effect.frame.data(), 1920, 1080, nv12.data());
    benchmark::DoNotOptimize(nv12.data());
  }
}

}  // namespace

BENCHMARK(BM_ConvertToNv12)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_RenderFrame)->DenseRange(0, kPresetCount - 1)->Unit(benchmark::kMillisecond)->MinTime(1.0);
