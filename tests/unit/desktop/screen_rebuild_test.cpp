#include <gtest/gtest.h>

#include "desktop/screen_model.h"

namespace {

// Monitor records in order; `windows` says which have a surface. With
// `span`, a spanning record follows, with `spanWindow` as its surface.
ScreenList Records(std::initializer_list<bool> windows, bool span = false, bool spanWindow = false) {
  static int surface;
  ScreenList screens;
  for (bool window : windows) {
    screens.push_back(std::make_unique<Screen>());
    screens.back()->window = window ? &surface : nullptr;
  }
  if (span) {
    screens.push_back(std::make_unique<Screen>());
    screens.back()->spanning = true;
    screens.back()->window = spanWindow ? &surface : nullptr;
  }
  return screens;
}

TEST(ScreenRebuild, SpansOnlyInSpanModeWithAMonitor) {
  Settings settings;
  settings.mode = u"span";
  EXPECT_TRUE(SpansScreens(settings, Records({false})));
  EXPECT_FALSE(SpansScreens(settings, Records({}))) << "no monitor: nothing to span";
  settings.mode = u"Span";
  EXPECT_FALSE(SpansScreens(settings, Records({false})));
}

TEST(ScreenRebuild, TheSystemWallpaperIsRedrawnWhenASurfaceThatShouldShowIsGone) {
  struct Case {
    const char* name;
    bool hadSurface;
    ScreenList screens;
    bool spanning;
    bool refresh;
  };
  Case cases[] = {
      {"every monitor has its surface", true, Records({true, true}), false, false},
      {"one monitor lost its surface", true, Records({true, false}), false, true},
      {"no surfaces before: nothing on the desktop to clear", false, Records({false, false}), false, false},
      {"no monitors at all", true, Records({}), false, false},
      {"spanning: the monitors never get surfaces", true, Records({false, false}, true, true), true, false},
      {"spanning record without its surface", true, Records({true, true}, true, false), true, true},
      {"span mode with no monitor", true, Records({}), true, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NeedsSystemWallpaperRefresh(c.hadSurface, c.screens, c.spanning), c.refresh) << c.name;
}

}  // namespace
