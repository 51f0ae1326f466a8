// GIF frames as a hostile file may declare them: any logical screen size, any
// frame size and offset, any disposal and delay. Composition stays inside the
// canvas, the canvas stays opaque, and delays and cache sizes stay sane.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "render/gif_canvas.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  // A device that takes small textures keeps each run quick; the sizes asked for are any.
  const uint32_t maxSide = in.ConsumeIntegralInRange<uint32_t>(1, 64);
  const uint32_t width = in.ConsumeBool() ? in.ConsumeIntegral<uint32_t>() : in.ConsumeIntegralInRange<uint32_t>(0, 80);
  const uint32_t height = in.ConsumeBool() ? in.ConsumeIntegral<uint32_t>() : in.ConsumeIntegralInRange<uint32_t>(0, 80);
  GifCanvas canvas;
  const bool allocated = canvas.Allocate(width, height, maxSide);
  if (allocated != (width > 0 && height > 0 && width <= maxSide && height <= maxSide)) Fail("allocation rule");
  std::vector<uint32_t> source;
  for (uint32_t index = 0; in.remaining_bytes() > 0; ++index) {
    if (in.ConsumeIntegralInRange<int>(0, 15) == 0) canvas.Release();
    canvas.BeginFrame(in.ConsumeBool() ? 0 : index);
    canvas.disposal = in.ConsumeIntegralInRange<uint32_t>(0, 7);
    const auto edge = [&]() {
      return in.ConsumeBool() ? in.ConsumeIntegral<uint32_t>() : in.ConsumeIntegralInRange<uint32_t>(0, 80);
    };
    const uint32_t left = edge(), top = edge(), frameW = edge(), frameH = edge();
    const PixelRect area = canvas.Place(left, top, frameW, frameH);
    if (area.left < 0 || area.top < 0 || static_cast<uint32_t>(area.left) + area.Width() > canvas.width() ||
        static_cast<uint32_t>(area.top) + area.Height() > canvas.height())
      Fail("a frame placed outside the canvas");
    if (area.Width() > frameW || area.Height() > frameH) Fail("a placed area larger than its frame");
    source.assign(static_cast<size_t>(area.Width()) * area.Height(), 0);
    for (uint32_t& p : source) p = in.ConsumeIntegral<uint32_t>();
    canvas.Compose(area, source.data());

    // Any delay is a positive, finite time: a frame never shows for zero seconds or forever.
    const double delay = FrameDelaySeconds(in.ConsumeIntegral<uint32_t>());
    if (!std::isfinite(delay) || delay < 0.02 - 1e-12 || delay > 42949673.0) Fail("a delay out of bounds");
    const uint64_t frames = in.ConsumeIntegral<uint64_t>();
    const uint32_t w = in.ConsumeIntegral<uint32_t>(), h = in.ConsumeIntegral<uint32_t>();
    const unsigned __int128 bytes = static_cast<unsigned __int128>(frames) * w * h * 4;
    if (FitsFrameCache(frames, w, h) != (bytes <= kFrameCacheBudget)) Fail("frame cache budget");
  }
  for (uint32_t p : canvas.pixels())
    if (p >> 24 != 0xFF) Fail("a canvas pixel that is not opaque");
  return 0;
}
