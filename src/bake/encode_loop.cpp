#include "bake/encode_loop.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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

namespace {

using F4 = float __attribute__((vector_size(16)));
using I4 = int32_t __attribute__((vector_size(16)));

F4 Splat(float f) { return F4{f, f, f, f}; }
// The vector lanes repeat Scaled and ToByte operation for operation.
F4 Scaled4(F4 v) {
  v = v < 0.0f ? Splat(0.0f) : v;
  v = 1.0f < v ? Splat(1.0f) : v;
  return v * 255.0f;
}
I4 ToBytes4(F4 v, float lo, float hi) {
  v = v < lo ? Splat(lo) : v;
  v = hi < v ? Splat(hi) : v;
  return __builtin_convertvector(v, I4);
}

}  // namespace

namespace {

// Twelve floats R, G, B, R, ... as four pixels' channels.
void Deinterleave4(const float* p, F4& r, F4& g, F4& b) {
  r = F4{p[0], p[3], p[6], p[9]};
  g = F4{p[1], p[4], p[7], p[10]};
  b = F4{p[2], p[5], p[8], p[11]};
}

void StoreBytes4(uint8_t* out, I4 v) {
  using U4 = uint8_t __attribute__((vector_size(4)));
  const U4 bytes = __builtin_convertvector(v, U4);  // every lane already lies in 16..240
  std::memcpy(out, &bytes, sizeof bytes);
}

void ConvertLumaRow(const float* row, int32_t width, uint8_t* luma) {
  int32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    F4 r, g, b;
    Deinterleave4(row + x * 3, r, g, b);
    r = Scaled4(r), g = Scaled4(g), b = Scaled4(b);
    StoreBytes4(luma + x, ToBytes4(0.1826f * r + 16.0f + 0.6142f * g + 0.062f * b + 0.5f, 16.0f, 235.0f));
  }
  for (; x < width; ++x) {
    const float r = Scaled(row[x * 3]), g = Scaled(row[x * 3 + 1]), b = Scaled(row[x * 3 + 2]);
    luma[x] = ToByte(0.1826f * r + 16.0f + 0.6142f * g + 0.062f * b + 0.5f, 16.0f, 235.0f);
  }
}

void ConvertChromaRow(const float* top, const float* bottom, int32_t width, uint8_t* uv) {
  int32_t x = 0;
  // Four 2x2 blocks at a time.
  for (; x + 8 <= width; x += 8) {
    F4 sum[3];
    for (int c = 0; c < 3; ++c) {
      const float* t = top + x * 3 + c;
      const float* u = bottom + x * 3 + c;
      const F4 a = Scaled4(F4{t[0], t[6], t[12], t[18]});
      const F4 b = Scaled4(F4{t[3], t[9], t[15], t[21]});
      const F4 d = Scaled4(F4{u[0], u[6], u[12], u[18]});
      const F4 e = Scaled4(F4{u[3], u[9], u[15], u[21]});
      sum[c] = (a + b + d + e) * 0.25f;
    }
    const F4 r = sum[0], g = sum[1], b = sum[2];
    const I4 cu = ToBytes4(128.0f - 0.1006f * r - 0.3386f * g + 0.4392f * b + 0.5f, 16.0f, 240.0f);
    const I4 cv = ToBytes4(0.4392f * r + 128.0f - 0.3989f * g - 0.0403f * b + 0.5f, 16.0f, 240.0f);
    StoreBytes4(uv + x, I4{cu[0], cv[0], cu[1], cv[1]});
    StoreBytes4(uv + x + 4, I4{cu[2], cv[2], cu[3], cv[3]});
  }
  for (; x + 1 < width; x += 2) {
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

}  // namespace

void ConvertToNv12(const float* rgb, int32_t width, int32_t height, uint8_t* out) {
  const size_t rowFloats = static_cast<size_t>(width) * 3;
  uint8_t* chroma = out + static_cast<size_t>(width) * height;
  // A row pair's chroma right after its luma reads the two rows again while
  // they are still in the cache.
  for (int32_t y = 0; y < height; ++y) {
    ConvertLumaRow(rgb + y * rowFloats, width, out + static_cast<size_t>(y) * width);
    if (y & 1)
      ConvertChromaRow(rgb + (y - 1) * rowFloats, rgb + y * rowFloats, width,
                       chroma + static_cast<size_t>(y / 2) * width);
  }
}

namespace {

// Renders and converts frames on a thread of its own, ahead of the encoder:
// frame n + 1 is drawn while the sink takes frame n. Frames come out in
// order and each is the same bytes the one-thread loop made.
class FramePipeline {
 public:
  FramePipeline(BakeEffect& effect, int32_t frameCount, size_t frameSize) : effect_(effect), count_(frameCount) {
    for (auto& slot : slots_) slot.resize(frameSize);
    try {
      thread_ = std::thread(&FramePipeline::Run, this);
    } catch (const std::system_error&) {
      // No second thread: each frame is rendered when it is taken.
    }
  }
  ~FramePipeline() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
  }

  // The NV12 bytes of frame i, once rendered; valid until Release(i).
  const uint8_t* Take(int32_t i) {
    uint8_t* slot = slots_[static_cast<size_t>(i) % kSlots].data();
    if (!thread_.joinable()) {
      Render(i, slot);
      return slot;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return rendered_ > i; });
    return slot;
  }
  // Frame i's slot may take a later frame.
  void Release(int32_t i) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      released_ = i + 1;
    }
    changed_.notify_all();
  }

 private:
  static constexpr size_t kSlots = 3;

  void Render(int32_t i, uint8_t* slot) {
    effect_.RenderFrame(static_cast<float>(i) / static_cast<float>(count_));
    ConvertToNv12(effect_.frame.data(), effect_.width, effect_.height, slot);
  }

  void Run() {
    for (int32_t i = 0; i < count_; ++i) {
      {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stop_ || i < released_ + static_cast<int32_t>(kSlots); });
        if (stop_) return;
      }
      Render(i, slots_[static_cast<size_t>(i) % kSlots].data());
      {
        std::lock_guard<std::mutex> lock(mutex_);
        rendered_ = i + 1;
      }
      changed_.notify_all();
    }
  }

  BakeEffect& effect_;
  const int32_t count_;
  std::vector<uint8_t> slots_[kSlots];
  std::mutex mutex_;
  std::condition_variable changed_;
  int32_t rendered_ = 0;  // frames 0 .. rendered_ - 1 are in their slots
  int32_t released_ = 0;  // frames the encoder is done with
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace

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
  if (cancelFlag.load() != 0) return false;
  FramePipeline frames(effect, frameCount, size);
  for (int32_t i = 0; i < frameCount; ++i) {
    if (cancelFlag.load() != 0) return false;
    const uint8_t* rendered = frames.Take(i);
    uint8_t* nv12 = sink.LockFrame(size);
    if (!nv12) return false;
    std::memcpy(nv12, rendered, size);
    frames.Release(i);
    if (Failed(5, sink.WriteFrame(i * duration, duration))) return false;
    if (report && i % 6 == 0) report(static_cast<int32_t>(static_cast<int64_t>(i) * 100 / frameCount));
  }
  return !Failed(6, sink.Finalize());
}
