// A picture file's bytes as the EXIF reader meets them: the orientation is
// always 1 to 8, and turning a picture keeps every pixel exactly once.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "render/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int orientation = ReadExifOrientation(std::string_view(reinterpret_cast<const char*>(data), size));
  if (orientation < 1 || orientation > 8) {
    std::fprintf(stderr, "orientation %d\n", orientation);
    std::abort();
  }
  FuzzedDataProvider in(data, size);
  int32_t width = in.ConsumeIntegralInRange<int32_t>(1, 24), height = in.ConsumeIntegralInRange<int32_t>(1, 24);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i);
  const int32_t w0 = width, h0 = height;
  OrientPixels(pixels, width, height, in.ConsumeBool() ? orientation : in.ConsumeIntegral<int>());
  std::sort(pixels.begin(), pixels.end());
  bool same = pixels.size() == static_cast<size_t>(w0) * h0 && static_cast<int64_t>(width) * height == int64_t{w0} * h0;
  for (size_t i = 0; same && i < pixels.size(); ++i) same = pixels[i] == i;
  if (!same) {
    std::fprintf(stderr, "pixels lost or doubled turning %dx%d\n", w0, h0);
    std::abort();
  }
  return 0;
}
