#include <gtest/gtest.h>

#include <array>

#include "pause/saver.h"
#include "pause/usage.h"

namespace {

// Stands in for the media rules with gpuEffects off: shaders and GIFs are out,
// and a text file is no wallpaper at all.
bool UsableWithoutGpuEffects(const std::u16string& path) {
  auto ends = [&](std::u16string_view ext) {
    return path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0;
  };
  return ends(u".mp4") || ends(u".png");
}

TEST(SaverPick, OwnThenFirstUsableInKeyOrder) {
  Settings s;
  s.assignments = {{u"A", u"a.hlsl"}, {u"B", u"b.gif"}, {u"C", u"c.png"}, {u"D", u"d.mp4"}};
  struct Case {
    const char* name;
    std::u16string key;
    std::u16string expected;
  } cases[] = {
      {"own assignment", u"D", u"d.mp4"},
      {"own assignment even when not usable", u"A", u"a.hlsl"},
      {"no own assignment: first usable by key", u"Z", u"c.png"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(PickSaverWallpaper(s, c.key, UsableWithoutGpuEffects), c.expected) << c.name;

  Settings none;
  none.assignments = {{u"A", u"a.hlsl"}, {u"B", u"notes.txt"}};
  EXPECT_EQ(PickSaverWallpaper(none, u"Z", UsableWithoutGpuEffects), u"");

  Settings span = s;
  span.mode = u"span";
  span.span = u"wide.mp4";
  EXPECT_EQ(PickSaverWallpaper(span, u"D", UsableWithoutGpuEffects), u"wide.mp4");
  span.mode = u"Span";  // not span mode
  EXPECT_EQ(PickSaverWallpaper(span, u"D", UsableWithoutGpuEffects), u"d.mp4");
}

// Runs the 200 ms watch from `start` until it ends, with input at the given
// ticks; returns the tick it ended at, or 0 when it still runs at `until`.
uint64_t WatchUntilEnd(bool preview, std::vector<uint64_t> inputs, uint64_t until) {
  const uint64_t start = 1'000'000;
  uint32_t lastInput = static_cast<uint32_t>(start - 50);
  SaverClock clock = StartSaverClock(lastInput, start, preview);
  for (uint64_t now = start + 200; now <= start + until; now += 200) {
    for (uint64_t at : inputs)
      if (at <= now - start) lastInput = static_cast<uint32_t>(start + at);
    if (SaverShouldEnd(clock, lastInput, now)) return now - start;
  }
  return 0;
}

TEST(SaverWatch, GracePreviewAndInput) {
  struct Case {
    const char* name;
    bool preview;
    std::vector<uint64_t> inputs;  // ms after the start
    uint64_t endsAt;               // ms after the start; 0 = still running after a minute
  } cases[] = {
      {"idle start without input runs on", false, {}, 0},
      {"input inside the grace does not end it", false, {300, 1300}, 0},
      {"input after the grace ends it at the next look", false, {2100}, 2200},
      {"input right at the grace's end counts", false, {1500}, 1600},
      {"preview ends after 6 s without input", true, {}, 6200},
      {"preview ends early on input", true, {3000}, 3000},
      {"preview input inside the grace is ignored", true, {500}, 6200},
  };
  for (const Case& c : cases) EXPECT_EQ(WatchUntilEnd(c.preview, c.inputs, 60'000), c.endsAt) << c.name;

  // The grace covers the first 1500 ms, the preview its 6000th one as well.
  SaverClock clock = StartSaverClock(7, 100, false);
  EXPECT_FALSE(SaverShouldEnd(clock, 8, 1599));
  EXPECT_EQ(clock.referenceInput, 8u);
  EXPECT_TRUE(SaverShouldEnd(clock, 9, 1600));
  clock = StartSaverClock(7, 100, true);
  EXPECT_FALSE(SaverShouldEnd(clock, 7, 6100));
  EXPECT_TRUE(SaverShouldEnd(clock, 7, 6101));
  // A bar ends it at once, even inside the grace.
  clock = StartSaverClock(7, 100, false);
  EXPECT_TRUE(SaverShouldEnd(clock, 7, 200, true));
}

TEST(SaverWatch, LockDisplayOffAndBatteryBarTheSaver) {
  Settings s;  // pauseBattery on
  EXPECT_FALSE(SaverBarred(s, {}, false));
  EXPECT_TRUE(SaverBarred(s, {true, false, false}, true)) << "locked ends even a preview";
  EXPECT_TRUE(SaverBarred(s, {false, true, false}, true)) << "so does the display going off";
  EXPECT_TRUE(SaverBarred(s, {false, false, true}, false));
  EXPECT_FALSE(SaverBarred(s, {false, false, true}, true)) << "a preview, asked for, runs on battery";
  s.pauseBattery = false;
  EXPECT_FALSE(SaverBarred(s, {false, false, true}, false));
}

TEST(IdleRules, AwayAndScreensaverStart) {
  Settings s;
  s.idleMin = 10;
  EXPECT_EQ(IdleMilliseconds(5, 0xFFFFFFF0u), 21u);  // across the tick wrap

  const uint32_t limit = 600'000;
  struct Case {
    const char* name;
    int32_t idle;
    IdleFacts facts;
    bool away, saver;
  } cases[] = {
      {"idle 1 just short", 1, {limit - 1}, false, false},
      {"idle 1 at the limit", 1, {limit}, true, false},
      {"idle 0 never", 0, {limit * 5}, false, false},
      {"idle 2 starts the saver", 2, {limit}, false, true},
      {"idle 2 while a saver runs", 2, {limit, true}, false, false},
      {"idle 2 while locked", 2, {limit, false, true}, false, false},
      {"idle 2 while paused by the user", 2, {limit, false, false, true}, false, false},
      {"idle 2 while busy or presenting", 2, {limit, false, false, false, true}, false, false},
      {"idle 2 with the display off", 2, {limit, false, false, false, false, true}, false, false},
      {"idle 2 on battery (pauseBattery on)", 2, {limit, false, false, false, false, false, true}, false, false},
  };
  for (const Case& c : cases) {
    s.idle = c.idle;
    const IdleVerdict v = JudgeIdle(s, c.facts);
    EXPECT_EQ(v.away, c.away) << c.name;
    EXPECT_EQ(v.startSaver, c.saver) << c.name;
  }
}

TEST(SaverRetry, AFailedStartWaitsForInputOrADifferentChoice) {
  Settings s;
  s.assignments = {{u"A", u"missing.mp4"}};
  SaverRetryGate gate;
  EXPECT_TRUE(SaverMayStart(gate, s, 100)) << "nothing failed yet";
  NoteSaverStart(gate, false, s, 100);
  EXPECT_FALSE(SaverMayStart(gate, s, 100)) << "same idle stretch, same wallpapers";

  struct Case {
    const char* name;
    void (*change)(Settings&);
    uint32_t input;
    bool mayStart;
  } cases[] = {
      {"nothing changed", [](Settings&) {}, 100, false},
      {"new input", [](Settings&) {}, 101, true},
      {"another assignment", [](Settings& t) { t.assignments[u"A"] = u"other.mp4"; }, 100, true},
      {"a screen added", [](Settings& t) { t.assignments[u"B"] = u"b.png"; }, 100, true},
      {"span mode", [](Settings& t) { t.mode = u"span"; }, 100, true},
      {"span path", [](Settings& t) { t.span = u"s.mp4"; }, 100, true},
      {"gpuEffects on", [](Settings& t) { t.gpuEffects = true; }, 100, true},
      {"fps is no reason", [](Settings& t) { t.fps = 60; }, 100, false},
      {"a frame is no reason", [](Settings& t) { t.frames[u"A"] = {}; }, 100, false},
  };
  for (const Case& c : cases) {
    Settings changed = s;
    c.change(changed);
    EXPECT_EQ(SaverMayStart(gate, changed, c.input), c.mayStart) << c.name;
  }

  // A start that showed something clears the block.
  NoteSaverStart(gate, true, s, 100);
  EXPECT_TRUE(SaverMayStart(gate, s, 100));
}

TEST(Badges, SizeCentreNumberAndFont) {
  ScreenList screens;
  for (Rect r : {Rect{0, 0, 1920, 1080}, Rect{1920, -360, 4480, 1080}}) {
    auto s = std::make_unique<Screen>();
    s->bounds = r;
    screens.push_back(std::move(s));
  }
  auto span = std::make_unique<Screen>();
  span->spanning = true;
  span->bounds = {0, -360, 4480, 1080};
  screens.insert(screens.begin() + 1, std::move(span));

  using Fields = std::vector<std::array<int32_t, 4>>;  // number, x, y, size
  const auto fields = [](const std::vector<BadgePlacement>& badges) {
    Fields out;
    for (const BadgePlacement& b : badges) out.push_back({b.number, b.x, b.y, b.size});
    return out;
  };
  EXPECT_EQ(fields(PlanBadges(screens)), (Fields{{1, 780, 360, 360}, {2, 2960, 120, 480}}));
  // Negative coordinates divide toward zero, like the system's integer maths.
  EXPECT_EQ(fields({PlaceBadge({-1001, -1001, 0, 0}, 3)}), (Fields{{3, -667, -667, 333}}));

  EXPECT_EQ(BadgeFontHeight(360), -198);
  EXPECT_EQ(BadgeFontHeight(480), -264);
  EXPECT_EQ(BadgeFontHeight(99), -54);
}

TEST(Usage, CpuShareFromTwoSamples) {
  constexpr uint64_t kSecond = 10'000'000;  // 100 ns units
  UsageFigures u;
  AddUsageSample(u, 5 * kSecond, 1000 * kSecond, 4, 1 << 20);
  EXPECT_EQ(u.cpuPercent, 0.0);  // a single sample has nothing to compare
  EXPECT_EQ(u.privateBytes, 1u << 20);

  // One full core of four for one second.
  AddUsageSample(u, 6 * kSecond, 1001 * kSecond, 4, 2 << 20);
  EXPECT_DOUBLE_EQ(u.cpuPercent, 25.0);
  EXPECT_EQ(u.privateBytes, 2u << 20);

  // Half a core on one processor over two seconds.
  AddUsageSample(u, 7 * kSecond, 1003 * kSecond, 1, 2 << 20);
  EXPECT_DOUBLE_EQ(u.cpuPercent, 50.0);

  // The clock did not move or went back: the figure stays, the sample is taken.
  AddUsageSample(u, 9 * kSecond, 1003 * kSecond, 1, 3 << 20);
  EXPECT_DOUBLE_EQ(u.cpuPercent, 50.0);
  AddUsageSample(u, 10 * kSecond, 1002 * kSecond, 1, 3 << 20);
  EXPECT_DOUBLE_EQ(u.cpuPercent, 50.0);
  EXPECT_EQ(u.lastSampleTime, 1002 * kSecond);
  EXPECT_EQ(u.privateBytes, 3u << 20);
  AddUsageSample(u, 11 * kSecond, 1004 * kSecond, 1, 3 << 20);
  EXPECT_DOUBLE_EQ(u.cpuPercent, 50.0);

  // A processor count of zero must not turn the figure into infinity.
  AddUsageSample(u, 12 * kSecond, 1005 * kSecond, 0, 3 << 20);
  EXPECT_DOUBLE_EQ(u.cpuPercent, 100.0);
}

TEST(Usage, TrayTipText) {
  EXPECT_EQ(FormatTrayTip(1.24, 52'428'800, true), u"Lumenhollow\n1.2% CPU \u00B7 50 MB \u00B7 paused");
  EXPECT_EQ(FormatTrayTip(1.24, 52'428'800, false), u"Lumenhollow\n1.2% CPU \u00B7 50 MB");
  EXPECT_EQ(FormatTrayTip(0.0, 0, false), u"Lumenhollow\n0.0% CPU \u00B7 0 MB");
  EXPECT_EQ(FormatTrayTip(99.96, 1'572'864, false), u"Lumenhollow\n100.0% CPU \u00B7 2 MB");
  EXPECT_DOUBLE_EQ(PrivateMegabytes(3 * 1048576), 3.0);
}

}  // namespace
