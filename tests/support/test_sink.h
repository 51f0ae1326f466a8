#pragma once
// An encoder sink that keeps what the encode loop hands it and can fail any
// one step; hooks let a test act as the file system or cancel mid-encode.
#include <functional>
#include <string>
#include <vector>

#include "bake/encode_loop.h"

struct TestSink : EncodeSink {
  int failStep = 0;
  int32_t failResult = static_cast<int32_t>(0x80004005u);
  bool refuseBuffer = false;
  std::vector<int> steps;
  VideoFormat output, input;
  std::vector<int64_t> times, durations;
  std::vector<uint8_t> buffer, firstFrame;
  std::function<void(const std::u16string& path)> onCreated;  // after a successful step 1
  std::function<void(size_t framesWritten)> onFrame;

  int32_t Step(int step) {
    steps.push_back(step);
    return step == failStep ? failResult : 0;
  }
  int32_t Create(const std::u16string& path) override {
    const int32_t hr = Step(1);
    if (hr == 0 && onCreated) onCreated(path);
    return hr;
  }
  int32_t AddStream(const VideoFormat& f) override {
    output = f;
    return Step(2);
  }
  int32_t SetInputFormat(const VideoFormat& f) override {
    input = f;
    return Step(3);
  }
  int32_t Begin() override { return Step(4); }
  uint8_t* LockFrame(size_t size) override {
    if (refuseBuffer) return nullptr;
    buffer.assign(size, 0xEE);
    return buffer.data();
  }
  int32_t WriteFrame(int64_t time, int64_t duration) override {
    if (times.empty()) firstFrame = buffer;
    times.push_back(time);
    durations.push_back(duration);
    if (onFrame) onFrame(times.size());
    return Step(5);
  }
  int32_t Finalize() override { return Step(6); }
};
