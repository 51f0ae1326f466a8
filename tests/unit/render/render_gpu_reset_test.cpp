// Counting GPU resets: retry once, stop after a second within five minutes.
#include <gtest/gtest.h>

#include <vector>

#include "render/gpu_reset.h"

namespace {

constexpr uint64_t kMinute = 60000;
constexpr auto kRetry = GpuResetAction::Retry, kStop = GpuResetAction::Stop;

TEST(GpuResetCounterTest, RetryOnceThenStopWithinFiveMinutesOfTheLatest) {
  // A step with `clear` first does what an apply from the library does: the
  // count goes, the time of the last reset stays.
  struct Step {
    uint64_t at;
    GpuResetAction want;
    bool clear = false;
  };
  const struct {
    const char* name;
    std::vector<Step> steps;
  } cases[] = {
      {"second within five minutes", {{10 * kMinute, kRetry}, {14 * kMinute + 59000, kStop}}},
      {"exactly five minutes later, then within five of that",
       {{7 * kMinute, kRetry}, {12 * kMinute, kRetry}, {12 * kMinute + 299999, kStop}}},
      {"an apply keeps the time but retries again",
       {{5 * kMinute, kRetry}, {6 * kMinute, kStop}, {7 * kMinute, kRetry, true}, {8 * kMinute, kStop}}},
      // A reset counted at tick 0 leaves "no reset yet" behind: harmless.
      {"tick zero means no reset yet", {{0, kRetry}, {1000, kRetry}}},
  };
  for (const auto& c : cases) {
    GpuResetCounter counter;
    for (const Step& s : c.steps) {
      if (s.clear) counter.count = 0;
      EXPECT_EQ(CountGpuReset(counter, s.at), s.want) << c.name << " at " << s.at;
      EXPECT_EQ(counter.count, s.want == kStop ? 2u : 1u) << c.name << " at " << s.at;
      EXPECT_EQ(counter.lastResetMs, s.at) << c.name;
    }
  }
}

TEST(GpuResetCounterTest, ARemovedDeviceIsRecoveredNeverSwappedInPlace) {
  using enum DeviceStep;
  EXPECT_EQ(DecideDeviceStep(false, false), Create);
  EXPECT_EQ(DecideDeviceStep(true, false), Use);
  EXPECT_EQ(DecideDeviceStep(true, true), Recover);
  EXPECT_EQ(FormatResetDeviceFailure(0x887A0005u), u"video device manager ResetDevice failed hr 0x887a0005");
}

}  // namespace
