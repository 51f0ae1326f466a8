#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bake/encode_loop.h"
#include "../../support/test_sink.h"

namespace {

BakeEffect SmallEffect(int32_t preset = 0) {
  BakeEffect e;
  std::vector<uint32_t> picture(8 * 6);
  for (size_t i = 0; i < picture.size(); ++i) picture[i] = 0xFF000000u | static_cast<uint32_t>(i * 0x050301);
  e.Init(picture, 8, 6, preset);
  return e;
}

std::vector<uint8_t> Nv12Of(float r, float g, float b, int32_t w = 4, int32_t h = 2) {
  std::vector<float> rgb(w * h * 3);
  for (int32_t i = 0; i < w * h; ++i) rgb[i * 3] = r, rgb[i * 3 + 1] = g, rgb[i * 3 + 2] = b;
  std::vector<uint8_t> out(w * h * 3 / 2, 0xEE);
  ConvertToNv12(rgb.data(), w, h, out.data());
  return out;
}

TEST(BakeEncode, Nv12IsBt709LimitedRange) {
  // 4x2: eight luma bytes, then one row of two U, V pairs.
  EXPECT_EQ(Nv12Of(1, 1, 1), (std::vector<uint8_t>{235, 235, 235, 235, 235, 235, 235, 235, 128, 128, 128, 128}));
  EXPECT_EQ(Nv12Of(0, 0, 0), (std::vector<uint8_t>{16, 16, 16, 16, 16, 16, 16, 16, 128, 128, 128, 128}));
  EXPECT_EQ(Nv12Of(3.5f, 1.2f, 9), Nv12Of(1, 1, 1));
  EXPECT_EQ(Nv12Of(-0.5f, -7, -0.01f), Nv12Of(0, 0, 0));
  // Pure red: U comes before V, and V reaches the top of its range.
  EXPECT_EQ(Nv12Of(1, 0, 0), (std::vector<uint8_t>{63, 63, 63, 63, 63, 63, 63, 63, 102, 240, 102, 240}));

  // Wide rows take another road through the conversion; the bytes are the same.
  std::vector<uint8_t> wide(28, 63);
  for (int i = 0; i < 7; ++i) wide.insert(wide.end(), {102, 240});
  EXPECT_EQ(Nv12Of(1, 0, 0, 14, 2), wide);
  // A varied frame, converted at once and in 2-pixel-wide strips, agrees.
  std::vector<float> varied(18 * 4 * 3);
  for (size_t i = 0; i < varied.size(); ++i) varied[i] = static_cast<float>((i * 37) % 101) / 80.0f - 0.1f;
  std::vector<uint8_t> whole(18 * 4 * 3 / 2);
  ConvertToNv12(varied.data(), 18, 4, whole.data());
  for (int strip = 0; strip < 9; ++strip) {
    std::vector<float> part(2 * 4 * 3);
    for (int y = 0; y < 4; ++y)
      for (int k = 0; k < 6; ++k) part[y * 6 + k] = varied[y * 54 + strip * 6 + k];
    std::vector<uint8_t> small(2 * 4 * 3 / 2);
    ConvertToNv12(part.data(), 2, 4, small.data());
    for (int row = 0; row < 6; ++row)  // four luma rows, then two chroma rows
      EXPECT_EQ(std::memcmp(&small[row * 2], &whole[row * 18 + strip * 2], 2), 0) << strip << " row " << row;
  }

  // Chroma is one pair per 2x2 block: a white block beside a black one.
  std::vector<float> rgb(4 * 2 * 3, 0.0f);
  for (int i : {0, 1, 4, 5}) rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = 1.0f;
  std::vector<uint8_t> out(12);
  ConvertToNv12(rgb.data(), 4, 2, out.data());
  EXPECT_EQ(out, (std::vector<uint8_t>{235, 235, 16, 16, 235, 235, 16, 16, 128, 128, 128, 128}));
}

TEST(BakeEncode, BitrateAndSampleTimes) {
  EXPECT_EQ(BitrateFor(1920, 1080, 30), 6842880u);
  EXPECT_EQ(BitrateFor(480, 270, 12), 600000u);
  EXPECT_EQ(BitrateFor(2, 480, 12), 600000u);
  EXPECT_EQ(FrameDuration(30), 333333);
  EXPECT_EQ(FrameDuration(12), 833333);

  BakeEffect effect = SmallEffect();
  TestSink sink;
  std::atomic<uint8_t> cancel{0};
  std::vector<int32_t> reported;
  ASSERT_TRUE(EncodeLoopVideo(effect, sink, u"out.mp4", 30, 360, cancel, [&](int32_t p) { reported.push_back(p); }));
  ASSERT_EQ(sink.times.size(), 360u);
  EXPECT_EQ(sink.times[359], 119666547);
  EXPECT_EQ(sink.durations[359], 333333);
  EXPECT_EQ(std::tuple(sink.output.bitrate, sink.output.width, sink.output.height, sink.output.fps),
            std::tuple(600000u, 8, 6, 30));
  EXPECT_EQ(sink.input.bitrate, 0u);
  EXPECT_EQ(sink.steps.front(), 1);
  EXPECT_EQ(sink.steps.back(), 6);

  // Every sixth frame, integer percent, never 100.
  ASSERT_EQ(reported.size(), 60u);
  EXPECT_EQ(std::vector<int32_t>(reported.begin(), reported.begin() + 6), (std::vector<int32_t>{0, 1, 3, 5, 6, 8}));
  EXPECT_EQ(reported.back(), 98);

  // The first frame is RenderFrame(0) converted.
  effect.RenderFrame(0.0f);
  std::vector<uint8_t> expected(8 * 6 * 3 / 2);
  ConvertToNv12(effect.frame.data(), 8, 6, expected.data());
  EXPECT_EQ(sink.firstFrame, expected);
}

TEST(BakeEncode, CancelStopsBeforeTheFirstFrame) {
  gEncodeFailureStep = 0;
  gEncodeFailureResult = 0;
  BakeEffect effect = SmallEffect();
  std::fill(effect.frame.begin(), effect.frame.end(), -1.0f);
  TestSink sink;
  std::atomic<uint8_t> cancel{1};
  auto owned = std::make_shared<int>(0);
  EXPECT_FALSE(EncodeLoopVideo(effect, sink, u"out.mp4", 30, 360, cancel, [owned](int32_t) {}));
  EXPECT_EQ(sink.steps, (std::vector<int>{1, 2, 3, 4}));
  EXPECT_TRUE(sink.times.empty());
  EXPECT_EQ(effect.frame[0], -1.0f);  // nothing rendered
  EXPECT_EQ(gEncodeFailureStep, 0);
  EXPECT_EQ(owned.use_count(), 1);  // the progress callable is gone
}

TEST(BakeEncode, EachFailingStepIsRecordedAndKept) {
  for (int step = 1; step <= 6; ++step) {
    gEncodeFailureStep = 0;
    gEncodeFailureResult = 0;
    BakeEffect effect = SmallEffect();
    TestSink sink;
    sink.failStep = step;
    sink.failResult = static_cast<int32_t>(0x80070000u + step);
    std::atomic<uint8_t> cancel{0};
    EXPECT_FALSE(EncodeLoopVideo(effect, sink, u"x.mp4", 12, 144, cancel, nullptr)) << step;
    EXPECT_EQ(std::pair(gEncodeFailureStep, gEncodeFailureResult), std::pair(step, sink.failResult));
    EXPECT_EQ(sink.steps.back(), step) << "nothing runs after the failing step";
    EXPECT_EQ(sink.times.size(), step == 5 ? 1u : step == 6 ? 144u : 0u);
  }
  // A later success and a refused buffer leave the record as it was.
  BakeEffect effect = SmallEffect();
  TestSink ok;
  std::atomic<uint8_t> cancel{0};
  EXPECT_TRUE(EncodeLoopVideo(effect, ok, u"x.mp4", 12, 12, cancel, nullptr));
  TestSink noBuffer;
  noBuffer.refuseBuffer = true;
  EXPECT_FALSE(EncodeLoopVideo(effect, noBuffer, u"x.mp4", 12, 12, cancel, nullptr));
  EXPECT_EQ(gEncodeFailureStep, 6);
}

TEST(BakeEncode, EdgeCounts) {
  BakeEffect effect = SmallEffect();
  std::atomic<uint8_t> cancel{0};
  TestSink none;
  EXPECT_TRUE(EncodeLoopVideo(effect, none, u"x.mp4", 30, 0, cancel, nullptr));
  EXPECT_TRUE(none.times.empty());
  TestSink failing;
  failing.failStep = 6;
  EXPECT_FALSE(EncodeLoopVideo(effect, failing, u"x.mp4", 30, 0, cancel, nullptr));

  // An effect without a picture never reaches the sink.
  BakeEffect empty;
  TestSink untouched;
  EXPECT_FALSE(EncodeLoopVideo(empty, untouched, u"x.mp4", 30, 10, cancel, nullptr));
  EXPECT_TRUE(untouched.steps.empty());
}

}  // namespace
