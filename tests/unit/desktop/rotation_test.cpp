#include "desktop/rotation.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

namespace {

const RandomBelow kFirst = [](uint32_t) { return 0u; };
const UsableWallpaper kAll = [](const std::u16string&) { return true; };

Rotation Make(std::vector<std::u16string> items, bool shuffled, int32_t minutes = 5) {
  Rotation r;
  r.items = std::move(items);
  r.shuffled = shuffled;
  r.minutes = minutes;
  return r;
}

// Through the file and back, as a restart does.
Rotation Restart(const Rotation& r) {
  Settings s;
  s.rotations[u"K"] = r;
  Settings loaded;
  ParseSettings(FormatSettings(s), loaded);
  return loaded.rotations.at(u"K");
}

TEST(Rotation, ListedOrderGoesOnAcrossRestartsAtTheNextDueTime) {
  Rotation r = Make({u"a", u"b", u"c"}, false);
  StartRotation(r, u"b", 1000, kFirst);
  EXPECT_EQ(CurrentRotationItem(r), u"b");
  EXPECT_EQ(r.due, 1300);
  const struct {
    int64_t now;
    const char16_t* shows;
    int64_t due;
  } steps[] = {{1300, u"c", 1600}, {1600, u"a", 1900}, {1950, u"b", 2250}, {2250, u"c", 2550}};
  for (const auto& step : steps) {
    r = Restart(r);
    EXPECT_FALSE(RotationDue(r, r.due - 1));
    EXPECT_TRUE(RotationDue(r, step.now));
    EXPECT_EQ(AdvanceRotation(r, step.now, kAll, kFirst).path, step.shows);
    EXPECT_EQ(CurrentRotationItem(r), step.shows);
    EXPECT_EQ(r.due, step.due);
  }
}

TEST(Rotation, ShuffleShowsEveryItemOnceARoundAndNeverTwiceInARow) {
  for (size_t n : {2u, 3u, 7u}) {
    for (uint32_t seed = 0; seed < 40; ++seed) {
      std::mt19937 engine(seed);
      const RandomBelow random = [&](uint32_t bound) { return static_cast<uint32_t>(engine() % bound); };
      Rotation r = Make({}, true);
      for (size_t i = 0; i < n; ++i) r.items.push_back(std::u16string(1, static_cast<char16_t>(u'a' + i)));
      StartRotation(r, u"a", 0, random);
      std::vector<std::u16string> shown{CurrentRotationItem(r)};
      for (int step = 1; step < static_cast<int>(n) * 6; ++step) {
        if (step % 4 == 0) r = Restart(r);
        shown.push_back(AdvanceRotation(r, step, kAll, random).path);
      }
      for (size_t i = 1; i < shown.size(); ++i) ASSERT_NE(shown[i], shown[i - 1]) << n << " seed " << seed;
      for (size_t round = 0; round + n <= shown.size(); round += n)
        ASSERT_EQ(std::set<std::u16string>(shown.begin() + round, shown.begin() + round + n).size(), n);
    }
  }
}

TEST(Rotation, UnusableItemsAreSkippedAndNoneUsableStops) {
  Rotation r = Make({u"a", u"gone", u"b"}, false);
  StartRotation(r, u"a", 0, kFirst);
  std::set<std::u16string> usable{u"a", u"b"};
  const UsableWallpaper check = [&](const std::u16string& p) { return usable.contains(p); };
  RotationStep step = AdvanceRotation(r, 300, check, kFirst);
  EXPECT_EQ(step.path, u"b");
  EXPECT_EQ(step.skipped, std::vector<std::u16string>{u"gone"});
  usable.clear();
  step = AdvanceRotation(r, 600, check, kFirst);
  EXPECT_EQ(step.path, u"");
  EXPECT_EQ(step.skipped.size(), 3u);
  EXPECT_EQ(r.due, 0);
  EXPECT_FALSE(RotationDue(r, 1 << 30));
  EXPECT_EQ(SecondsToNextChange({{u"K", r}}, {u"K"}, 600), -1);
}

TEST(Rotation, APausedScreenHoldsItsTimeAndTheEarliestPlayingChangeCounts) {
  RotationMap rotations{{u"A", Make({u"a", u"b"}, false, 20)}, {u"B", Make({u"c", u"d"}, false, 2)},
                        {u"C", Make({u"e", u"f"}, false, 1)}};
  for (auto& [key, r] : rotations) StartRotation(r, u"", 0, kFirst);
  const std::vector<std::u16string> showing{u"A", u"B"};  // C has no screen now
  EXPECT_EQ(SecondsToNextChange(rotations, showing, 30), 90);
  SetRotationPaused(rotations[u"B"], true, 60);
  SetRotationPaused(rotations[u"B"], true, 100);  // the first pause counts
  EXPECT_FALSE(RotationDue(rotations[u"B"], 500));
  EXPECT_EQ(SecondsToNextChange(rotations, showing, 100), 1100);
  SetRotationPaused(rotations[u"B"], false, 700);
  EXPECT_EQ(rotations[u"B"].due, 760);
  EXPECT_FALSE(RotationDue(rotations[u"B"], 759));
  EXPECT_EQ(SecondsToNextChange(rotations, showing, 700), 60);
  EXPECT_EQ(SecondsToNextChange(rotations, showing, 2000), 0);
}

TEST(Rotation, FollowsTheMonitorKeyAndFileLimits) {
  RotationMap rotations{{u"\\\\.\\DISPLAY1", Make({u"a"}, false)}};
  EXPECT_FALSE(MigrateRotationKey(rotations, u"\\\\.\\DISPLAY1", u"\\\\.\\DISPLAY1"));
  EXPECT_TRUE(MigrateRotationKey(rotations, u"\\\\?\\id", u"\\\\.\\DISPLAY1"));
  EXPECT_EQ(rotations.at(u"\\\\?\\id").items.at(0), u"a");
  EXPECT_FALSE(rotations.contains(u"\\\\.\\DISPLAY1"));

  Settings s;
  ParseSettings(
      "rotation:Z=0,sideways,99,-5,-1,7 7 7\nrotitem:Z=x\nrotitem:Z=y\nrotitem:Z=\n"
      "rotation:H=999999,shuffled,1,4000000000,0,1 0\nrotitem:H=p\nrotitem:H=q\n"
      "rotation:E=5,listed,0,0,0,\n",
      s);
  EXPECT_FALSE(s.rotations.contains(u"E"));  // no items
  const Rotation& z = s.rotations.at(u"Z");
  EXPECT_EQ(z.minutes, 1);
  EXPECT_FALSE(z.shuffled);
  EXPECT_EQ(z.round, (std::vector<int32_t>{0, 1}));
  EXPECT_EQ(z.position, 1);
  EXPECT_EQ(z.due, 0);
  const Rotation& h = s.rotations.at(u"H");
  EXPECT_EQ(h.minutes, 24 * 60);
  EXPECT_EQ(CurrentRotationItem(h), u"p");
  EXPECT_EQ(h.due, 4000000000);
}

}  // namespace
