#include "bake/encode_loop.h"

#include <algorithm>
#include <utility>

int32_t gEncodeFailureStep = 0;
int32_t gEncodeFailureResult = 0;

namespace {

float Scaled(float v) { return std::min(std::max(v, 0.0f), 1.0f) * 255.0f; }

uint8_t ToByte(float v, float lo, float hi) { return static_cast<uint8_t>(std::min(std::max(v, lo), hi)); }

bool Failed(int32_t step, int32_t result) {
  if (result >= 0) return false;
  gEncodeFailureStep = step;
  gEncodeFailureResult = result;
  return true;
}

}  // namespace

uint32_t BitrateFor(int32_t width, int32_t height, int32_t fps) {
  const double bits = static_cast<double>(height) * width * fps * 0.11;
  return static_cast<uint32_t>(std::min(std::max(bits, 600000.0), 4.0e9));
}

void ConvertToNv12(const float* rgb, int32_t width, int32_t height, uint8_t* out) {
  for (int32_t y = 0; y < height; ++y) {
    const float* row = rgb + static_cast<size_t>(y) * width * 3;
    uint8_t* luma = out + static_cast<size_t>(y) * width;
    for (int32_t x = 0; x < width; ++x) {
      const float r = Scaled(row[x * 3]), g = Scaled(row[x * 3 + 1]), b = Scaled(row[x * 3 + 2]);
      luma[x] = ToByte(0.1826f * r + 16.0f + 0.6142f * g + 0.062f * b + 0.5f, 16.0f, 235.0f);
    }
  }
  uint8_t* chroma = out + static_cast<size_t>(width) * height;
  for (int32_t y = 0; y + 1 < height; y += 2) {
    const float* top = rgb + static_cast<size_t>(y) * width * 3;
    const float* bottom = top + static_cast<size_t>(width) * 3;
    uint8_t* uv = chroma + static_cast<size_t>(y / 2) * width;
    for (int32_t x = 0; x + 1 < width; x += 2) {
      float sum[3];
      for (int c = 0; c < 3; ++c)
        sum[c] = (Scaled(top[x * 3 + c]) + Scaled(top[x * 3 + 3 + c]) + Scaled(bottom[x * 3 + c]) +
                  Scaled(bottom[x * 3 + 3 + c])) *
                 0.25f;
      const float r = sum[0], g = sum[1], b = sum[2];
      uv[x] = ToByte(128.0f - 0.1006f * r - 0.3386f * g + 0.4392f * b + 0.5f, 16.0f, 240.0f);
      uv[x + 1] = ToByte(0.4392f * r + 128.0f - 0.3989f * g - 0.0403f * b + 0.5f, 16.0f, 240.0f);
    }
  }
}

bool EncodeLoopVideo(BakeEffect& effect, EncodeSink& sink, const std::u16string& outputPath, int32_t fps,
                     int32_t frameCount, const std::atomic<uint8_t>& cancelFlag,
                     std::function<void(int32_t)> progress) {
  // Owned here and gone before returning, whatever the path out.
  const std::function<void(int32_t)> report = std::move(progress);
  const int32_t width = effect.width, height = effect.height;
  // An effect without a picture (or odd sizes from a broken caller) cannot
  // make an NV12 frame; refusing here keeps the sink from reading past it.
  if (width < 2 || height < 2 || (width | height) & 1 || fps < 1) return false;
  VideoFormat format{width, height, fps, BitrateFor(width, height, fps)};
  if (Failed(1, sink.Create(outputPath))) return false;
  if (Failed(2, sink.AddStream(format))) return false;
  VideoFormat input = format;
  input.bitrate = 0;
  if (Failed(3, sink.SetInputFormat(input))) return false;
  if (Failed(4, sink.Begin())) return false;

  const int64_t duration = FrameDuration(fps);
  const size_t size = static_cast<size_t>(width) * height * 3 / 2;
  for (int32_t i = 0; i < frameCount; ++i) {
    if (cancelFlag.load() != 0) return false;
    effect.RenderFrame(static_cast<float>(i) / static_cast<float>(frameCount));
    uint8_t* nv12 = sink.LockFrame(size);
    if (!nv12) return false;
    ConvertToNv12(effect.frame.data(), width, height, nv12);
    if (Failed(5, sink.WriteFrame(i * duration, duration))) return false;
    if (report && i % 6 == 0) report(static_cast<int32_t>(static_cast<int64_t>(i) * 100 / frameCount));
  }
  return !Failed(6, sink.Finalize());
}
