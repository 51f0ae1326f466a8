#include "pause/pause_policy.h"

#include <gtest/gtest.h>

#include "base/text.h"

namespace {

class CountingRenderer : public Renderer {
 public:
  void Tick(double) override {}
  void SetPaused(bool paused) override { calls.push_back(paused); }
  bool NeedsFrames() override { return true; }
  std::vector<bool> calls;
};

// Two 1920x1080 monitors side by side with a 40-pixel taskbar at the bottom.
void* const kMonitor1 = reinterpret_cast<void*>(0x1001);
void* const kMonitor2 = reinterpret_cast<void*>(0x1002);
const Rect kWork1{0, 0, 1920, 1040};
const Rect kWork2{1920, 0, 3840, 1040};

ScreenList TwoMonitors(bool withRenderers = true, bool span = false) {
  ScreenList list;
  for (auto [monitor, work] : {std::pair{kMonitor1, kWork1}, std::pair{kMonitor2, kWork2}}) {
    auto s = std::make_unique<Screen>();
    s->monitor = monitor;
    s->bounds = {work.left, 0, work.right, 1080};
    s->workArea = work;
    if (withRenderers && !span) s->renderer = std::make_unique<CountingRenderer>();
    list.push_back(std::move(s));
  }
  if (span) {
    auto s = std::make_unique<Screen>();
    s->spanning = true;
    s->key = u"span";
    s->bounds = s->workArea = {0, 0, 3840, 1080};
    s->renderer = std::make_unique<CountingRenderer>();
    list.push_back(std::move(s));
  }
  return list;
}

WindowFacts Window(Rect rect) {
  WindowFacts w;
  w.className = u"Chrome_WidgetWin_1";
  w.rect = rect;
  return w;
}

// A rectangle at the work area's top-left holding at least `percent` of its area.
Rect Share(const Rect& work, int percent) {
  return {work.left, work.top, work.left + ((work.right - work.left) * percent + 99) / 100, work.bottom};
}

TEST(CoveredTest, OneWindowMustHide97PercentOfTheWorkArea) {
  const ScreenList screens = TwoMonitors();
  const Rect half1{0, 0, 960, 1040}, half2{960, 0, 1920, 1040};
  WindowFacts maxOn2 = Window({1912, -8, 3848, 1048});
  maxOn2.maximized = true;
  maxOn2.monitor = kMonitor2;
  // Maximised windows count by monitor, even when their frame is smaller.
  WindowFacts oddMaxOn1 = Window({100, 100, 200, 200});
  oddMaxOn1.maximized = true;
  oddMaxOn1.monitor = kMonitor1;
  WindowFacts maxUnknownMonitor = Window({100, 100, 200, 200});
  maxUnknownMonitor.maximized = true;

  struct Case {
    const char* name;
    std::vector<WindowFacts> windows;
    std::vector<bool> covered;
  } cases[] = {
      {"nothing open", {}, {false, false}},
      {"96 percent", {Window(Share(kWork1, 96))}, {false, false}},
      {"97 percent", {Window(Share(kWork1, 97))}, {true, false}},
      {"a pixel column short of 97 percent", {Window({0, 0, 1862, 1040})}, {false, false}},
      {"97 percent of the height", {Window({0, 31, 1920, 1040})}, {true, false}},
      {"a pixel row short of it", {Window({0, 32, 1920, 1040})}, {false, false}},
      {"the work area exactly, not the monitor", {Window(kWork2)}, {false, true}},
      {"two half windows do not add up", {Window(half1), Window(half2)}, {false, false}},
      {"maximised on monitor 2 covers only monitor 2", {maxOn2}, {false, true}},
      {"maximised counts by monitor, not rectangle", {oddMaxOn1}, {true, false}},
      {"maximised on an unknown monitor falls back to area", {maxUnknownMonitor}, {false, false}},
      {"one window over both work areas", {Window({-10, -10, 3900, 1100})}, {true, true}},
      {"outside every monitor", {Window({5000, 0, 9000, 2000})}, {false, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CoveredScreens(screens, c.windows), c.covered) << c.name;
  }
}

TEST(CoveredTest, SkippedWindowsNeverCover) {
  const ScreenList screens = TwoMonitors();
  const Rect all{-10, -10, 3900, 1100};
  struct Case {
    const char* name;
    void (*change)(WindowFacts&);
  } cases[] = {
      {"cloaked", [](WindowFacts& w) { w.cloaked = true; }},
      {"tool window", [](WindowFacts& w) { w.exStyle = 0x00000080; }},
      {"no-activate", [](WindowFacts& w) { w.exStyle = 0x08000000; }},
      {"transparent", [](WindowFacts& w) { w.exStyle = 0x00000020; }},
      {"invisible", [](WindowFacts& w) { w.visible = false; }},
      {"minimized", [](WindowFacts& w) { w.minimized = true; }},
      {"own process", [](WindowFacts& w) { w.ownProcess = true; }},
      {"Progman", [](WindowFacts& w) { w.className = u"Progman"; }},
      {"WorkerW", [](WindowFacts& w) { w.className = u"WorkerW"; }},
      {"taskbar", [](WindowFacts& w) { w.className = u"Shell_TrayWnd"; }},
      {"second taskbar", [](WindowFacts& w) { w.className = u"Shell_SecondaryTrayWnd"; }},
  };
  for (const Case& c : cases) {
    WindowFacts w = Window(all);
    w.maximized = true;
    w.monitor = kMonitor1;
    ASSERT_EQ(CoveredScreens(screens, {&w, 1}), (std::vector<bool>{true, true})) << "control for " << c.name;
    c.change(w);
    EXPECT_EQ(CoveredScreens(screens, {&w, 1}), (std::vector<bool>{false, false})) << c.name;
  }
  // Class names compare case-sensitively, like the system's own list.
  WindowFacts lower = Window(all);
  lower.className = u"progman";
  EXPECT_EQ(CoveredScreens(screens, {&lower, 1}), (std::vector<bool>{true, true}));
  // A plain framed window with ordinary extended styles still covers.
  WindowFacts framed = Window(all);
  framed.exStyle = 0x00000100 | 0x00000200;  // window edge, client edge
  EXPECT_EQ(CoveredScreens(screens, {&framed, 1}), (std::vector<bool>{true, true}));
}

TEST(CoveredTest, SpanningRecordOnlyWhenEveryMonitorIs) {
  const ScreenList screens = TwoMonitors(false, true);
  // The spanning record's own huge work area is never measured directly.
  WindowFacts w1 = Window(kWork1), w2 = Window(kWork2), both = Window({0, 0, 3840, 1080});
  EXPECT_EQ(CoveredScreens(screens, std::vector{w1}), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(CoveredScreens(screens, std::vector{w1, w2}), (std::vector<bool>{true, true, true}));
  EXPECT_EQ(CoveredScreens(screens, std::vector{both}), (std::vector<bool>{true, true, true}));
}

TEST(FullScreenTest, AnotherProcessHoldingItsWholeMonitor) {
  ForegroundFacts game;
  game.exists = true;
  game.className = u"UnityWndClass";
  game.rect = {0, 0, 1920, 1080};
  game.monitorKnown = true;
  game.monitorRect = {0, 0, 1920, 1080};

  struct Case {
    const char* name;
    void (*change)(ForegroundFacts&);
    bool expected;
  } cases[] = {
      {"borderless game", [](ForegroundFacts&) {}, true},
      {"larger than the monitor",
       [](ForegroundFacts& f) {
         f.rect = {-8, -8, 1928, 1088};
       },
       true},
      {"one pixel short", [](ForegroundFacts& f) { f.rect.bottom = 1079; }, false},
      {"work-area sized", [](ForegroundFacts& f) { f.rect.bottom = 1040; }, false},
      {"no foreground window", [](ForegroundFacts& f) { f.exists = false; }, false},
      {"our own window", [](ForegroundFacts& f) { f.ownProcess = true; }, false},
      {"monitor unknown", [](ForegroundFacts& f) { f.monitorKnown = false; }, false},
      {"desktop", [](ForegroundFacts& f) { f.className = u"Progman"; }, false},
      {"wallpaper host", [](ForegroundFacts& f) { f.className = u"WorkerW"; }, false},
      {"taskbar", [](ForegroundFacts& f) { f.className = u"Shell_TrayWnd"; }, false},
      {"second taskbar", [](ForegroundFacts& f) { f.className = u"Shell_SecondaryTrayWnd"; }, false},
      {"the desktop window itself, foreground when nothing is active",
       [](ForegroundFacts& f) { f.className = u"#32769"; }, false},
  };
  for (const Case& c : cases) {
    ForegroundFacts f = game;
    c.change(f);
    EXPECT_EQ(IsFullScreenForeground(f), c.expected) << c.name;
  }
}

TEST(FullScreenTest, NotificationStatesAndPowerStatus) {
  for (int32_t state = 0; state <= 7; ++state)
    EXPECT_EQ(IsBusyNotificationState(true, state), state >= 2 && state <= 4) << state;
  EXPECT_FALSE(IsBusyNotificationState(false, 3));
  EXPECT_TRUE(IsOnBattery(true, 0));
  EXPECT_FALSE(IsOnBattery(true, 1));
  EXPECT_FALSE(IsOnBattery(true, 255));
  EXPECT_FALSE(IsOnBattery(false, 0));
}

TEST(PauseReasons, EachReasonAndWhatItBeats) {
  using R = PauseReason;
  struct Fact {
    R reason;
    std::u16string text;
    void (*set)(PauseFacts&);
  };
  // Highest priority first.
  const Fact facts[] = {
      {R::RenderingStopped, u"stopped after a GPU reset", [](PauseFacts& f) { f.renderingStopped = true; }},
      {R::Screensaver, u"screensaver is on", [](PauseFacts& f) { f.saverRunning = true; }},
      {R::UserPaused, u"paused by you", [](PauseFacts& f) { f.userPaused = true; }},
      {R::Away, u"you're away", [](PauseFacts& f) { f.away = true; }},
      {R::Locked, u"PC locked", [](PauseFacts& f) { f.locked = true; }},
      {R::DisplayOff, u"display off", [](PauseFacts& f) { f.displayOff = true; }},
      {R::OnBattery, u"on battery",
       [](PauseFacts& f) {
         f.powerStatusKnown = true;
         f.acLineStatus = 0;
       }},
      {R::ProgramRule, u"paused for ",
       [](PauseFacts& f) {
         f.rules = {{u"OBS64.exe", RuleAction::PauseWhileRunning}};
         f.programs.running = {u"obs64.EXE"};
       }},
      {R::FullScreen, u"game / fullscreen app running",
       [](PauseFacts& f) {
         f.notificationStateKnown = true;
         f.notificationState = 3;
       }},
  };
  const ScreenList screens = TwoMonitors();
  EXPECT_EQ(DecidePause(PauseFacts{}, screens).reason, R::None);
  EXPECT_EQ(PauseReasonText(R::None), u"");
  for (size_t i = 0; i < std::size(facts); ++i) {
    EXPECT_EQ(PauseReasonText(facts[i].reason), facts[i].text);
    PauseFacts alone;
    facts[i].set(alone);
    const PauseDecision d = DecidePause(alone, screens);
    EXPECT_EQ(d.reason, facts[i].reason) << i;
    EXPECT_EQ(d.paused, (std::vector<bool>{true, true})) << i;
    // Every lower-priority fact together does not displace it.
    PauseFacts all = alone;
    for (size_t j = i + 1; j < std::size(facts); ++j) facts[j].set(all);
    EXPECT_EQ(DecidePause(all, screens).reason, facts[i].reason) << i;
  }
}

TEST(PauseReasons, SwitchesTurnAutomaticTestsOff) {
  const ScreenList screens = TwoMonitors();
  PauseFacts f;
  f.powerStatusKnown = true;
  f.acLineStatus = 0;
  f.notificationStateKnown = true;
  f.notificationState = 4;
  f.windows = {Window(kWork1)};
  EXPECT_EQ(DecidePause(f, screens).reason, PauseReason::OnBattery);
  f.pauseBattery = false;
  EXPECT_EQ(DecidePause(f, screens).reason, PauseReason::FullScreen);
  f.pauseFullscreen = false;
  PauseDecision d = DecidePause(f, screens);
  EXPECT_EQ(d.reason, PauseReason::None);
  EXPECT_EQ(d.covered, (std::vector<bool>{true, false}));
  EXPECT_EQ(d.paused, (std::vector<bool>{true, false}));
  f.pauseCovered = false;
  d = DecidePause(f, screens);
  EXPECT_EQ(d.covered, (std::vector<bool>{false, false}));
  EXPECT_EQ(d.paused, (std::vector<bool>{false, false}));

  Settings settings;
  settings.pauseBattery = settings.pauseCovered = false;
  TakePauseSettings(settings, f);
  EXPECT_TRUE(f.pauseFullscreen);
  EXPECT_FALSE(f.pauseBattery);
  EXPECT_FALSE(f.pauseCovered);
}

TEST(PauseReasons, FullScreenForegroundCountsOnlyWhenSwitchedOn) {
  const ScreenList screens = TwoMonitors();
  PauseFacts f;
  f.foreground = {true, u"Game", false, {0, 0, 1920, 1080}, true, {0, 0, 1920, 1080}};
  EXPECT_EQ(DecidePause(f, screens).reason, PauseReason::FullScreen);
  f.pauseFullscreen = false;
  EXPECT_EQ(DecidePause(f, screens).reason, PauseReason::None);
}

TEST(PauseReasons, ProgramRulesNameTheProgramAndExemptOnlyTheForeground) {
  using A = RuleAction;
  const ScreenList screens = TwoMonitors();
  const ForegroundFacts game{true, u"Game", false, {0, 0, 1920, 1080}, true, {0, 0, 1920, 1080}};
  const struct Case {
    std::vector<ProgramRule> rules;
    std::vector<std::u16string> running;
    std::u16string foreground;
    bool stop;
    PauseReason reason;
    std::u16string line;
  } cases[] = {
      {{}, {u"obs64.exe"}, u"game.exe", false, PauseReason::FullScreen, u"game / fullscreen app running"},
      {{{u"Obs64.Exe", A::PauseWhileRunning}}, {u"a.exe", u"OBS64.EXE"}, u"", false, PauseReason::ProgramRule,
       u"paused for Obs64.Exe"},
      {{{u"obs64.exe", A::PauseWhileRunning}}, {u"obs64.exe.bak", u"obs.exe"}, u"", false, PauseReason::FullScreen,
       u"game / fullscreen app running"},
      {{{u"Édit.exe", A::PauseWhileForeground}}, {u"édit.exe"}, u"x.exe", false, PauseReason::FullScreen,
       u"game / fullscreen app running"},
      {{{u"Édit.exe", A::PauseWhileForeground}}, {}, u"éDIT.exe", true, PauseReason::ProgramRule,
       u"paused for Édit.exe"},
      {{{u"game.exe", A::NeverFullScreen}}, {}, u"GAME.exe", true, PauseReason::None, u""},
      {{{u"game.exe", A::NeverFullScreen}}, {}, u"other.exe", true, PauseReason::FullScreen,
       u"game / fullscreen app running"},
      {{{u"game.exe", A::NeverFullScreen}, {u"b.exe", A::PauseWhileRunning}, {u"a.exe", A::PauseWhileRunning}},
       {u"a.exe", u"b.exe"}, u"game.exe", false, PauseReason::ProgramRule, u"paused for b.exe"},
  };
  for (const Case& c : cases) {
    PauseFacts f;
    f.notificationStateKnown = true;
    f.notificationState = 3;
    f.foreground = game;
    Settings settings;
    settings.rules = c.rules;
    settings.stopWhenPaused = c.stop;
    TakePauseSettings(settings, f);
    f.programs = {c.running, c.foreground};
    const PauseDecision d = DecidePause(f, screens);
    EXPECT_EQ(d.reason, c.reason) << Utf16ToUtf8(c.line);
    EXPECT_EQ(PauseReasonLine(d), c.line);
    EXPECT_EQ(d.release, c.stop && d.reason != PauseReason::None);
  }
  // Gathering is only asked for what the rules can use.
  EXPECT_FALSE(NeedsOfRules({}).running || NeedsOfRules({}).foreground);
  const RuleNeeds front = NeedsOfRules({{u"a", A::NeverFullScreen}, {u"b", A::PauseWhileForeground}});
  EXPECT_TRUE(front.foreground && !front.running);
  EXPECT_TRUE(NeedsOfRules({{u"a", A::PauseWhileRunning}}).running);
  EXPECT_EQ(ProgramFileName(u"C:\\Program Files\\obs64.exe"), u"obs64.exe");
  EXPECT_EQ(ProgramFileName(u"/usr/bin/x"), u"x");
  PauseFacts battery;
  battery.stopWhenPaused = true;
  battery.powerStatusKnown = true;
  battery.acLineStatus = 0;
  EXPECT_FALSE(DecidePause(battery, screens).release);  // only games and rules stop
}

CountingRenderer& Counter(const Screen& s) { return static_cast<CountingRenderer&>(*s.renderer); }

TEST(PausePush, PauseAllTwiceCallsSetPausedTwicePerRenderer) {
  ScreenList screens = TwoMonitors();
  screens.push_back(std::make_unique<Screen>());  // a monitor without wallpaper
  PauseFacts f;
  EXPECT_FALSE(ApplyPauseDecision(screens, DecidePause(f, screens)));

  f.userPaused = true;
  EXPECT_TRUE(ApplyPauseDecision(screens, DecidePause(f, screens)));
  // Deciding again without a change pushes nothing.
  EXPECT_FALSE(ApplyPauseDecision(screens, DecidePause(f, screens)));
  f.userPaused = false;
  EXPECT_TRUE(ApplyPauseDecision(screens, DecidePause(f, screens)));

  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(Counter(*screens[i]).calls, (std::vector<bool>{true, false})) << i;
    EXPECT_FALSE(screens[i]->paused);
  }
  EXPECT_FALSE(screens[2]->paused);
}

TEST(PausePush, CoveredScreenAloneAndFlagsStored) {
  ScreenList screens = TwoMonitors();
  screens[1]->renderer.reset();
  PauseFacts f;
  f.windows = {Window(kWork1), Window(kWork2)};
  EXPECT_TRUE(ApplyPauseDecision(screens, DecidePause(f, screens)));
  EXPECT_TRUE(screens[0]->covered);
  EXPECT_TRUE(screens[0]->paused);
  // Covered is recorded for a record without a renderer, paused is not.
  EXPECT_TRUE(screens[1]->covered);
  EXPECT_FALSE(screens[1]->paused);
  EXPECT_EQ(Counter(*screens[0]).calls, (std::vector<bool>{true}));

  f.windows.clear();
  EXPECT_TRUE(ApplyPauseDecision(screens, DecidePause(f, screens)));
  EXPECT_FALSE(screens[0]->covered);
  EXPECT_FALSE(screens[1]->covered);
  EXPECT_EQ(Counter(*screens[0]).calls, (std::vector<bool>{true, false}));
}

}  // namespace
