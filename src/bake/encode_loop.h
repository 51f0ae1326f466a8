#pragma once
// Renders one whole loop of a BakeEffect and encodes it as H.264 through a
// platform sink (Media Foundation on Windows, libav on Linux).
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "bake/bake_effect.h"

struct VideoFormat {
  int32_t width = 0;
  int32_t height = 0;
  int32_t fps = 0;
  uint32_t bitrate = 0;  // bit/s; set on the encoded stream only
};

// The six steps keep their numbers on every platform: a parent process reads
// them from the error file. Results are HRESULT-style: negative is failure.
class EncodeSink {
 public:
  virtual ~EncodeSink() = default;
  virtual int32_t Create(const std::u16string& outputPath) = 0;      // step 1
  virtual int32_t AddStream(const VideoFormat& output) = 0;           // step 2
  virtual int32_t SetInputFormat(const VideoFormat& input) = 0;       // step 3
  virtual int32_t Begin() = 0;                                        // step 4
  // Room for one NV12 frame of `size` bytes, or null when none can be had.
  virtual uint8_t* LockFrame(size_t size) = 0;
  virtual int32_t WriteFrame(int64_t sampleTime, int64_t duration) = 0;  // step 5
  virtual int32_t Finalize() = 0;                                        // step 6
};

// The last failure: step 1..6 and its result. Written only where a step
// fails, never cleared, so a later success does not hide it.
extern int32_t gEncodeFailureStep;
extern int32_t gEncodeFailureResult;

inline constexpr int64_t FrameDuration(int32_t fps) { return fps > 0 ? 10000000 / fps : 0; }
// 0.11 bit per pixel per frame, at least 600000 bit/s.
uint32_t BitrateFor(int32_t width, int32_t height, int32_t fps);

// BT.709 limited range; `out` holds width * height * 3 / 2 bytes: the Y
// plane, then interleaved U, V at half resolution, no padding.
void ConvertToNv12(const float* rgb, int32_t width, int32_t height, uint8_t* out);

// True only when the file was finalised. A second thread renders the frame
// after the one being encoded; the sink, progress (0..98, every sixth frame)
// and the cancel flag stay on this thread, and a set cancel flag stops before
// the next frame reaches the sink.
bool EncodeLoopVideo(BakeEffect& effect, EncodeSink& sink, const std::u16string& outputPath, int32_t fps,
                     int32_t frameCount, const std::atomic<uint8_t>& cancelFlag,
                     std::function<void(int32_t)> progress);
