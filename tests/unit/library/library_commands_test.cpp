#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "../../support/page_json.h"
#include "../../support/recording_host.h"
#include "../../support/temp_folder.h"
#include "desktop/rotation.h"
#include "library/library_bridge.h"

namespace {

using Calls = std::vector<std::string>;

std::u16string Msg(std::initializer_list<std::u16string_view> fields) {
  std::u16string text;
  bool first = true;
  for (auto f : fields) {
    if (!first) text += char16_t(0x1F);
    first = false;
    text += f;
  }
  return text;
}

TEST(CommandText, SplitsOnTheUnitSeparator) {
  using V = std::vector<std::u16string_view>;
  EXPECT_EQ(SplitCommand(u""), V{u""});
  EXPECT_EQ(SplitCommand(u"a\x1f"), (V{u"a", u""}));
  EXPECT_EQ(SplitCommand(u"a\x1f\x1f" u"b"), (V{u"a", u"", u"b"}));
  EXPECT_EQ(SplitCommand(u"apply\x1f" u"0\x1f" u"C:\\a,b;c.mp4"), (V{u"apply", u"0", u"C:\\a,b;c.mp4"}));
}

TEST(CommandText, ReadsNumbersLikeTheRuntime) {
  EXPECT_EQ(ParseLeadingDouble(u"  -1.5e2x"), -150.0);
  EXPECT_EQ(ParseLeadingDouble(u".5"), 0.5);
  EXPECT_EQ(ParseLeadingDouble(u"5."), 5.0);
  EXPECT_EQ(ParseLeadingDouble(u"1e"), 1.0);
  EXPECT_EQ(ParseLeadingDouble(u"+2E-1"), 0.2);
  for (const char16_t* none : {u"", u"abc", u"-", u".", u"e5", u"in", u"0x10"}) EXPECT_EQ(ParseLeadingDouble(none), 0.0);
  EXPECT_TRUE(std::isinf(ParseLeadingDouble(u"1e999")));
  EXPECT_EQ(ParseLeadingDouble(u" -Infinity"), -std::numeric_limits<double>::infinity());
  EXPECT_EQ(ParseLeadingDouble(u"inf"), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(ParseLeadingDouble(u"NaN")));
}

class Commands : public testing::Test {
 protected:
  Commands() {
    host.exeDir = dir.Path();
    host.AddScreen(u"K0", {0, 0, 1920, 1080}, true);
    host.AddScreen(u"K1", {1920, 0, 3840, 1080}, true);
    host.settings.assignments[u"K0"] = u"C:\\zero.mp4";
    host.settings.assignments[u"K1"] = u"C:\\one.mp4";
  }
  Calls Run(const std::u16string& text, const DroppedFiles& dropped = {}) {
    host.calls.clear();
    host.posted.clear();
    bridge.HandleLibraryCommand(text, dropped);
    return host.calls;
  }
  Screen& Span() {
    host.AddScreen(u"span", {0, 0, 3840, 1080}, true).spanning = true;
    return *host.screens.back();
  }
  std::u16string Assigned(const std::u16string& key) {
    const auto found = host.settings.assignments.find(key);
    return found == host.settings.assignments.end() ? u"<none>" : found->second;
  }
  int Refreshes(size_t screen) { return static_cast<FakeRenderer&>(*host.screens[screen]->renderer).refreshes; }

  TempFolder dir;
  PosixFileProbe probe;
  RecordingHost host;
  LibraryBridge bridge{host, probe};
};

TEST_F(Commands, ApplyAllAssignsEveryScreenInPlace) {
  EXPECT_EQ(Run(Msg({u"apply", u"all", u"C:\\new.mp4"})),
            (Calls{"ClearRenderingStopped", "SaveSettings", "ApplyScreen K0", "ApplyScreen K1", "DecidePause",
                   "Post state"}));
  EXPECT_EQ(Assigned(u"K0"), u"C:\\new.mp4");
  EXPECT_EQ(Assigned(u"K1"), u"C:\\new.mp4");
}

TEST_F(Commands, ClearingAScreenRepaintsTheDesktopWhereItsWindowWas) {
  EXPECT_EQ(Run(Msg({u"apply", u"1", u""})), (Calls{"ClearRenderingStopped", "SaveSettings", "ApplyScreen K1",
                                                   "RefreshSystemWallpaper", "DecidePause", "Post state"}));
  EXPECT_EQ(Assigned(u"K1"), u"<none>");
  EXPECT_EQ(Assigned(u"K0"), u"C:\\zero.mp4");
}

TEST_F(Commands, IndexFieldRules) {
  const auto cleared = [&](std::u16string text) {
    host.settings.assignments = {{u"K0", u"a"}, {u"K1", u"b"}};
    Run(text);
    return std::make_pair(Assigned(u"K0") == u"<none>", Assigned(u"K1") == u"<none>");
  };
  EXPECT_EQ(cleared(Msg({u"clear", u"all"})), std::make_pair(true, false));  // "all" reads as 0 here
  EXPECT_EQ(cleared(Msg({u"clear", u"-1"})), std::make_pair(true, true));
  EXPECT_EQ(cleared(Msg({u"clear", u"-7"})), std::make_pair(true, true));
  EXPECT_EQ(cleared(u"clear"), std::make_pair(true, false));
  EXPECT_EQ(cleared(Msg({u"clear", u" 1xyz"})), std::make_pair(false, true));
  EXPECT_EQ(cleared(Msg({u"apply", u"", u""})), std::make_pair(true, false));
  EXPECT_EQ(cleared(Msg({u"clear", u"2"})), std::make_pair(false, false));
}

TEST_F(Commands, SpanningRecordIsNotAPageScreen) {
  Span();
  host.settings.mode = u"span";
  EXPECT_EQ(Run(Msg({u"apply", u"2", u"C:\\x.mp4"})), (Calls{"ClearRenderingStopped", "SaveSettings", "RebuildScreens"}));
  EXPECT_EQ(host.settings.mode, u"screens");
  EXPECT_EQ(host.settings.assignments.count(u"span"), 0u);
  EXPECT_EQ(Assigned(u"K1"), u"C:\\one.mp4");
}

TEST_F(Commands, ApplyRebuildsWhenScreensCannotBeRedoneOneByOne) {
  host.canApplyInPlace = false;
  EXPECT_EQ(Run(Msg({u"apply", u"0", u"C:\\x.mp4"})), (Calls{"ClearRenderingStopped", "SaveSettings", "RebuildScreens"}));
  EXPECT_EQ(Assigned(u"K0"), u"C:\\x.mp4");
}

TEST_F(Commands, SpanAndMode) {
  EXPECT_EQ(Run(Msg({u"mode", u"span"})), Calls{});  // no span wallpaper yet
  EXPECT_EQ(host.settings.mode, u"screens");
  EXPECT_EQ(Run(Msg({u"mode", u"screens"})), Calls{});  // already per screen

  EXPECT_EQ(Run(u"span"), (Calls{"ClearRenderingStopped", "SaveSettings", "RebuildScreens"}));
  EXPECT_EQ(host.settings.mode, u"span");
  EXPECT_EQ(host.settings.span, u"");
  EXPECT_EQ(Run(Msg({u"mode", u"span"})), Calls{});  // the empty span path still counts as none

  Run(Msg({u"span", u"D:\\wide.mp4"}));
  EXPECT_EQ(Run(Msg({u"mode", u"Span"})), (Calls{"SaveSettings", "RebuildScreens"}));
  EXPECT_EQ(host.settings.mode, u"screens");
  EXPECT_EQ(Run(Msg({u"mode", u"span"})), (Calls{"ClearRenderingStopped", "SaveSettings", "RebuildScreens"}));
  EXPECT_EQ(host.settings.mode, u"span");
  EXPECT_EQ(host.settings.span, u"D:\\wide.mp4");
}

TEST_F(Commands, UserListAndPickers) {
  host.settings.userList = {u"a", u"B", u"a", u"c"};
  EXPECT_EQ(Run(Msg({u"remove", u"a"})), (Calls{"SaveSettings", "Post state"}));
  EXPECT_EQ(host.settings.userList, (std::vector<std::u16string>{u"B", u"c"}));
  EXPECT_EQ(Run(Msg({u"remove", u"b"})), (Calls{"SaveSettings", "Post state"}));
  EXPECT_EQ(host.settings.userList.size(), 2u);
  PageJson page;
  ASSERT_TRUE(page.Parse(host.posted.back()));
  EXPECT_EQ(page.Doc()["items"].size(), 2u);  // rescanned from the list

  EXPECT_EQ(Run(u"add"), Calls{"PostLibraryPick 0"});
  EXPECT_EQ(Run(u"addfolder"), Calls{"PostLibraryPick 1"});
}

TEST_F(Commands, DropAddsWhatIsUsable) {
  dir.File("clip.mp4");
  EXPECT_EQ(Run(u"drop"), (Calls{"SaveSettings", "Post state", "Post added"}));
  EXPECT_EQ(host.posted.back(), u"{\"t\":\"added\",\"paths\":[]}");
  Run(u"drop", [&] { return std::vector<std::u16string>{dir.Path("clip.mp4"), dir.Path("no.mp4")}; });
  EXPECT_EQ(host.settings.userList, std::vector<std::u16string>{dir.Path("clip.mp4")});
}

TEST_F(Commands, PauseReadyAndPassThroughs) {
  EXPECT_EQ(Run(u"pause"), (Calls{"SetUserPaused 1", "DecidePause", "Post state"}));
  EXPECT_EQ(Run(u"pause"), (Calls{"SetUserPaused 0", "DecidePause", "Post state"}));
  EXPECT_EQ(Run(u"ready"), Calls{"Post state"});
  host.tourRequested = true;
  EXPECT_EQ(Run(u"ready"), (Calls{"Post state", "Post tour"}));
  EXPECT_EQ(Run(u"ready"), (Calls{"Post state", "Post tour"}));  // every reload in tour mode
  EXPECT_EQ(Run(u"identify"), Calls{"ShowMonitorBadges"});
  EXPECT_EQ(Run(u"saver"), Calls{"StartScreensaver preview"});
  EXPECT_EQ(Run(u"bakecancel"), Calls{"RequestBakeCancel"});
  EXPECT_EQ(Run(Msg({u"previews", u"C:\\p.jpg"})), Calls{"StartBakeJob C:\\p.jpg -1"});
}

TEST_F(Commands, BakePresetBounds) {
  EXPECT_EQ(Run(Msg({u"bake", u"C:\\p.jpg", u"10"})), Calls{"StartBakeJob C:\\p.jpg 10"});
  EXPECT_EQ(Run(Msg({u"bake", u"C:\\p.jpg", u"abc"})), Calls{"StartBakeJob C:\\p.jpg 0"});
  EXPECT_EQ(Run(Msg({u"bake", u"C:\\p.jpg", u"11"})), Calls{});
  EXPECT_EQ(Run(Msg({u"bake", u"C:\\p.jpg", u"-1"})), Calls{});
}

TEST_F(Commands, FrameSetsRemovesAndRefreshesOnlyItsScreen) {
  Span();
  EXPECT_EQ(Run(Msg({u"frame", u"span", u"0.1", u"0.2", u"1.5"})), Calls{"ArmSaveSettingsTimer"});
  ASSERT_EQ(host.settings.frames.count(u"span"), 1u);
  EXPECT_EQ(host.settings.frames[u"span"].x, 0.1f);
  EXPECT_EQ(host.settings.frames[u"span"].y, 0.2f);
  EXPECT_EQ(host.settings.frames[u"span"].zoom, 1.5f);
  EXPECT_EQ(Refreshes(2), 1);
  EXPECT_EQ(Refreshes(0), 0);

  Run(Msg({u"frame", u"1", u"0.25"}));  // absent numbers read as 0
  EXPECT_EQ(host.settings.frames[u"K1"].y, 0.0f);
  EXPECT_EQ(host.settings.frames[u"K1"].zoom, 0.0f);
  EXPECT_EQ(Refreshes(1), 1);

  host.settings.frames[u"K0"] = {0.3f, 0.3f, 2};
  EXPECT_EQ(Run(Msg({u"frame", u"0", u""})), Calls{"ArmSaveSettingsTimer"});
  EXPECT_EQ(host.settings.frames.count(u"K0"), 0u);
  EXPECT_EQ(Run(Msg({u"frame", u"2", u"0.5", u"0.5", u"1"})), Calls{});  // the spanning record has no index
  EXPECT_EQ(Run(Msg({u"frame", u"-1", u"0.5", u"0.5", u"1"})), Calls{});
}

TEST_F(Commands, FrameIgnoresNumbersThatAreNotFinite) {
  host.settings.frames[u"K0"] = {0.4f, 0.6f, 2};
  for (const char16_t* bad : {u"1e999", u"-1e39", u"NaN", u"Infinity", u"-inf"}) {
    EXPECT_EQ(Run(Msg({u"frame", u"0", u"0.5", bad, u"1"})), Calls{});
    EXPECT_EQ(Run(Msg({u"frame", u"0", u"0.5", u"0.5", bad})), Calls{});
  }
  EXPECT_EQ(host.settings.frames[u"K0"].x, 0.4f);
  EXPECT_EQ(host.settings.frames[u"K0"].zoom, 2.0f);
  EXPECT_EQ(host.settings.frames[u"K0"].y, 0.6f);
  EXPECT_EQ(Refreshes(0), 0);
  Run(Msg({u"frame", u"0", u"abc", u"0.5", u"1"}));  // not a number at all: 0
  EXPECT_EQ(host.settings.frames[u"K0"].x, 0.0f);
}

TEST_F(Commands, SetKeysClampAndEndTheSameWay) {
  const Calls end = {"SaveSettings", "DecidePause", "Post state"};
  const auto with = [&](Calls first) {
    first.insert(first.end(), end.begin(), end.end());
    return first;
  };
  EXPECT_EQ(Run(Msg({u"set", u"fps", u"500"})), with({"UpdateFrameTimer"}));
  EXPECT_EQ(host.settings.fps, 120);
  Run(Msg({u"set", u"fps", u"2"}));
  EXPECT_EQ(host.settings.fps, 5);
  EXPECT_EQ(Run(Msg({u"set", u"idlemin", u"0"})), end);
  EXPECT_EQ(host.settings.idleMin, 1);
  Run(Msg({u"set", u"idlemin", u"121"}));
  EXPECT_EQ(host.settings.idleMin, 120);
  EXPECT_EQ(Run(Msg({u"set", u"idle", u"7"})), with({"ClearAway"}));
  EXPECT_EQ(host.settings.idle, 2);
  Run(Msg({u"set", u"idle", u"-3"}));
  EXPECT_EQ(host.settings.idle, 0);
  EXPECT_EQ(Run(Msg({u"set", u"pfs", u"true"})), end);
  EXPECT_FALSE(host.settings.pauseFullscreen);
  Run(Msg({u"set", u"pcov", u"0"}));
  Run(Msg({u"set", u"pbat", u"0"}));
  EXPECT_FALSE(host.settings.pauseCovered);
  EXPECT_FALSE(host.settings.pauseBattery);
  Run(Msg({u"set", u"pbat", u"1"}));
  EXPECT_TRUE(host.settings.pauseBattery);
  EXPECT_EQ(Run(Msg({u"set", u"fit", u"1"})), with({"SaveSettings", "RebuildScreens"}));
  EXPECT_TRUE(host.settings.fit);
  const Settings before = host.settings;
  EXPECT_EQ(Run(Msg({u"set", u"start", u"1"})), with({"SetStartWithWindows 1"}));
  EXPECT_EQ(Run(Msg({u"set", u"start", u""})), with({"SetStartWithWindows 0"}));
  EXPECT_EQ(FormatSettings(host.settings), FormatSettings(before));  // not a file setting
  EXPECT_EQ(Run(Msg({u"set", u"gpuEffects", u"1"})), end);           // unknown keys still save and send
  EXPECT_FALSE(host.settings.gpuEffects);
  EXPECT_EQ(Run(u"set"), end);
  EXPECT_EQ(Run(Msg({u"set", u"stop", u"1"})), end);
  EXPECT_TRUE(host.settings.stopWhenPaused);
}

TEST_F(Commands, RotationKeepsTheWallpaperShowingAndChecksItsLimits) {
  // Keeps the screen's wallpaper when it is an item, listed from it.
  EXPECT_EQ(Run(Msg({u"rotation", u"1", u"0", u"listed", u"C:\\a.png", u"C:\\one.mp4", u""})),
            (Calls{"SaveSettings", "Post state", "UpdateRotations"}));
  const Rotation& r = host.settings.rotations.at(u"K1");
  EXPECT_EQ(r.items, (std::vector<std::u16string>{u"C:\\a.png", u"C:\\one.mp4"}));
  EXPECT_EQ(r.minutes, 1);
  EXPECT_EQ(r.due, 1060);
  EXPECT_EQ(CurrentRotationItem(r), u"C:\\one.mp4");
  EXPECT_NE(host.posted.at(0).find(u"\"rot\":{\"1\":{\"min\":1,\"order\":\"listed\",\"showing\":1,\"due\":1060,"),
            std::u16string::npos);
  // Otherwise the first item is applied at once.
  const Calls applied = Run(Msg({u"rotation", u"0", u"99999", u"shuffled", u"C:\\b.png", u"C:\\c.png"}));
  EXPECT_EQ(applied.front(), "ClearRenderingStopped");
  EXPECT_EQ(applied.back(), "UpdateRotations");
  EXPECT_EQ(host.settings.rotations.at(u"K0").minutes, 24 * 60);
  EXPECT_TRUE(host.settings.rotations.at(u"K0").shuffled);
  EXPECT_EQ(Assigned(u"K0"), CurrentRotationItem(host.settings.rotations.at(u"K0")));
  // The span's rotation waits on paper while screens mode is on.
  Span();
  Run(Msg({u"rotation", u"span", u"5", u"listed", u"C:\\wide.mp4"}));
  EXPECT_EQ(host.settings.span, u"C:\\wide.mp4");
  EXPECT_EQ(host.settings.mode, u"screens");
  // No paths ends it; a bad index or a flood is refused or cut.
  EXPECT_EQ(Run(Msg({u"rotation", u"1", u"5", u"listed"})), (Calls{"SaveSettings", "UpdateRotations", "Post state"}));
  EXPECT_FALSE(host.settings.rotations.contains(u"K1"));
  EXPECT_EQ(Assigned(u"K1"), u"C:\\one.mp4");
  for (const char16_t* index : {u"2", u"-1", u""}) EXPECT_EQ(Run(Msg({u"rotation", index, u"5", u"listed", u"x"})), Calls{});
  std::u16string flood = Msg({u"rotation", u"1", u"5", u"listed"});
  for (int i = 0; i < 2000; ++i) flood += u"\x1f" u"C:\\" + Utf8ToUtf16(std::to_string(i)) + u".png";
  Run(flood + u"\x1f" u"C:\\bad\nline.png");
  EXPECT_EQ(host.settings.rotations.at(u"K1").items.size(), kMaxRotationItems);
  EXPECT_EQ(Run(u"next"), Calls{"UpdateRotations all"});
}

TEST_F(Commands, RulesReplaceTheListAndDropWhatCannotBeARule) {
  std::u16string text = Msg({u"rules", u"running", u"obs64.exe", u"sometimes", u"x.exe", u"foreground", u"",
                             u"notfullscreen", u"Game.exe"});
  for (int i = 0; i < 300; ++i) text += u"\x1f" u"foreground\x1f" u"p.exe";
  text += u"\x1f" u"running";  // a last action without a name
  EXPECT_EQ(Run(text), (Calls{"SaveSettings", "DecidePause", "Post state"}));
  ASSERT_EQ(host.settings.rules.size(), kMaxRules);
  EXPECT_EQ(host.settings.rules[0], (ProgramRule{u"obs64.exe", RuleAction::PauseWhileRunning}));
  EXPECT_EQ(host.settings.rules[1], (ProgramRule{u"Game.exe", RuleAction::NeverFullScreen}));
  EXPECT_NE(host.posted.at(0).find(u"\"rules\":[{\"a\":\"running\",\"p\":\"obs64.exe\"},"), std::u16string::npos);
  Run(u"rules");
  EXPECT_TRUE(host.settings.rules.empty());
  EXPECT_EQ(host.posted.at(0).find(u"\"rules\""), std::u16string::npos);
}

TEST_F(Commands, UnknownAndEmptyMessagesDoNothing) {
  const Settings before = host.settings;
  for (const std::u16string text : {u"", u"Ready", u"apply ", u"\x1f" u"apply", u"nonsense\x1f" u"1"})
    EXPECT_EQ(Run(text), Calls{}) << Utf16ToUtf8(text);
  EXPECT_EQ(FormatSettings(host.settings), FormatSettings(before));
}

}  // namespace
