// Counting GPU resets: retry once, stop after a second within five minutes.
#include <gtest/gtest.h>

#include "render/gpu_reset.h"

namespace {

constexpr uint64_t kMinute = 60000;

TEST(GpuResetCounterTest, SecondResetWithinFiveMinutesStops) {
  GpuResetCounter c;
  const uint64_t t0 = 10 * kMinute;
  EXPECT_EQ(CountGpuReset(c, t0), GpuResetAction::Retry);
  EXPECT_EQ(c.count, 1u);
  EXPECT_EQ(CountGpuReset(c, t0 + 4 * kMinute + 59000), GpuResetAction::Stop);
  EXPECT_EQ(c.count, 2u);
}

TEST(GpuResetCounterTest, SecondResetAtFiveMinutesOrLaterRetries) {
  GpuResetCounter c;
  EXPECT_EQ(CountGpuReset(c, 7 * kMinute), GpuResetAction::Retry);
  EXPECT_EQ(CountGpuReset(c, 12 * kMinute), GpuResetAction::Retry);  // exactly 300000 ms later
  EXPECT_EQ(c.count, 1u);
  EXPECT_EQ(c.lastResetMs, 12 * kMinute);
  // The window runs from the latest reset.
  EXPECT_EQ(CountGpuReset(c, 12 * kMinute + 299999), GpuResetAction::Stop);
}

TEST(GpuResetCounterTest, ClearingByAnApplyKeepsTheTimeButRetriesAgain) {
  GpuResetCounter c;
  CountGpuReset(c, 5 * kMinute);
  EXPECT_EQ(CountGpuReset(c, 6 * kMinute), GpuResetAction::Stop);
  c.count = 0;  // what an apply from the library does; the last reset time stays
  EXPECT_EQ(CountGpuReset(c, 7 * kMinute), GpuResetAction::Retry);
  EXPECT_EQ(CountGpuReset(c, 8 * kMinute), GpuResetAction::Stop);
}

TEST(GpuResetCounterTest, TickCountOfZeroMeansNoResetYet) {
  // A first reset counted at tick 0 leaves "no reset yet" behind, so even an
  // immediate second one is a first again: harmless, and what the rule says.
  GpuResetCounter c;
  EXPECT_EQ(CountGpuReset(c, 0), GpuResetAction::Retry);
  EXPECT_EQ(CountGpuReset(c, 1000), GpuResetAction::Retry);
}

}  // namespace
