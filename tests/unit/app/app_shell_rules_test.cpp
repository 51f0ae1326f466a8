#include <gtest/gtest.h>

#include <vector>

#include "app/command_line.h"
#include "app/frame_pacing.h"
#include "base/main_timers.h"
#include "base/text.h"
#include "library/library_window_geometry.h"
#include "library/samples.h"

namespace {

TEST(CommandLine, BakeOnlyAtTheVeryStartTrayAndTourAnywhereCaseSensitive) {
  const struct {
    const char16_t* line;
    bool bake, tray, tour;
  } cases[] = {
      {u"--bake a\u001fb --tray", true, false, false}, {u"--tray --bake x", false, true, false},
      {u" --bake x", false, false, false},              {u"--BAKE x", false, false, false},
      {u"x--tourx --tray", false, true, true},          {u"--TRAY", false, false, false},
      {u"", false, false, false},
      {u"--bake", false, false, false},  // the option ends in a blank
  };
  for (const auto& c : cases) {
    const CommandLine parsed = ParseCommandLine(c.line);
    EXPECT_EQ(std::tuple(parsed.bakeChild, parsed.tray, parsed.tour), std::tuple(c.bake, c.tray, c.tour))
        << Utf16ToUtf8(c.line);
  }
  EXPECT_EQ(ParseCommandLine(u"--bake a\u001fb --tray").bakeArguments, u"a\u001fb --tray");
}

TEST(FramePacing, PeriodIsThousandOverFpsNeverZero) {
  EXPECT_EQ(FramePeriodMs(30), 33);
  EXPECT_EQ(FramePeriodMs(240), 4);
  EXPECT_EQ(FramePeriodMs(5), 200);
  EXPECT_EQ(FramePeriodMs(2000), 1);
}

TEST(FramePacing, NeedSkipsRecordsThatArePausedAndReady) {
  EXPECT_FALSE(FramesNeeded({}));
  const FrameNeed pausedReady{true, true, true}, pausedLoading{true, true, false},
      still{false, false, true}, playing{true, false, true};
  EXPECT_FALSE(FramesNeeded(std::vector{pausedReady, still}));
  EXPECT_TRUE(FramesNeeded(std::vector{pausedReady, pausedLoading}));
  EXPECT_TRUE(FramesNeeded(std::vector{still, playing}));
}

TEST(FramePacing, TimerArmsOnceRearmsOnRateChangeAndCancels) {
  FrameTimerState state;
  EXPECT_EQ(DecideFrameTimer(false, state, 30), FrameTimerAction::Keep);
  EXPECT_EQ(DecideFrameTimer(true, state, 30), FrameTimerAction::Arm);
  state = {true, 30};
  EXPECT_EQ(DecideFrameTimer(true, state, 30), FrameTimerAction::Keep);
  EXPECT_EQ(DecideFrameTimer(true, state, 60), FrameTimerAction::Arm);
  EXPECT_EQ(DecideFrameTimer(false, state, 30), FrameTimerAction::Cancel);
}

TEST(FramePacing, DeltaIsCappedAtAQuarterSecond) {
  EXPECT_DOUBLE_EQ(FrameDeltaSeconds(1'033'000, 1'000'000, 1'000'000), 0.033);
  EXPECT_DOUBLE_EQ(FrameDeltaSeconds(9'000'000, 1'000'000, 1'000'000), 0.25);
  EXPECT_DOUBLE_EQ(FrameDeltaSeconds(5, 5, 0), 0.0);
}

TEST(PassTimer, TakenOnceByTheFirstPassAtOrAfterItsDueTimeAcrossTheTickWrap) {
  const struct {
    std::vector<uint32_t> armedAt;  // each arming of 4000 ms restarts the wait
    std::vector<uint32_t> passes;   // tick counts of the housekeeping passes
    int taken;                      // the pass that takes it
  } cases[] = {
      {{1000}, {2000, 4999, 5000, 6000}, 2},       {{1000}, {7500, 8500}, 0},
      {{0xFFFFF800u}, {0xFFFFFFFFu, 0x079F, 0x07A0}, 2}, {{0, 1500}, {4000, 5499, 5500}, 2},
  };
  for (const auto& c : cases) {
    PassTimer timer;
    EXPECT_FALSE(timer.TakeIfDue(c.passes.back())) << "not armed yet";
    for (const uint32_t at : c.armedAt) timer.Arm(at, 4000);
    for (size_t i = 0; i < c.passes.size(); ++i)
      EXPECT_EQ(timer.TakeIfDue(c.passes[i]), static_cast<int>(i) == c.taken) << c.armedAt[0] << " " << i;
  }
}

TEST(LibraryWindow, CentredAndLimitedByDpiAndWorkArea) {
  EXPECT_EQ(LibraryWindowRect({0, 0, 1920, 1040}, 96), (Rect{370, 130, 370 + 1180, 130 + 780}));
  EXPECT_EQ(LibraryWindowRect({0, 0, 1366, 728}, 96), (Rect{93, 29, 93 + 1180, 29 + 669}));
  const Rect hidpi = LibraryWindowRect({-2880, 100, 0, 1900}, 192);
  EXPECT_EQ(hidpi.right - hidpi.left, 2360);
  EXPECT_EQ(hidpi.left, -2880 + (2880 - 2360) / 2);
}

TEST(LibraryWindow, CannotBeMadeSmallerThan860By600AtTheWindowsDpi) {
  const auto size = [](int dpi) { return std::pair{LibraryMinimumSize(dpi).width, LibraryMinimumSize(dpi).height}; };
  EXPECT_EQ(size(96), std::pair(860, 600));
  EXPECT_EQ(size(144), std::pair(1290, 900));
  EXPECT_EQ(size(120), std::pair(1075, 750));  // 860 * 1.25 = 1075 exactly
}

TEST(Samples, FirstRunCyclesThroughTheFourVideos) {
  EXPECT_EQ(SampleWallpaperName(0), u"misty-peaks.mp4");
  EXPECT_EQ(SampleWallpaperName(2), u"deep-space.mp4");
  EXPECT_EQ(SampleWallpaperName(4), u"misty-peaks.mp4");
}

}  // namespace
