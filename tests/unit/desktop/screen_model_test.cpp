#include "desktop/screen_model.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<Screen> Monitor(std::u16string key, Rect bounds) {
  auto s = std::make_unique<Screen>();
  s->key = std::move(key);
  s->bounds = bounds;
  s->workArea = bounds;
  return s;
}

std::vector<std::u16string> Keys(const ScreenList& list) {
  std::vector<std::u16string> keys;
  for (const auto& s : list) keys.push_back(s->key);
  return keys;
}

TEST(ScreenOrder, LeftFirstThenTopSigned) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::u16string, Rect>> monitors;
    std::vector<std::u16string> expected;
  } cases[] = {
      {"primary at 0, second at 1920 enumerated first",
       {{u"B", {1920, 0, 3840, 1080}}, {u"A", {0, 0, 1920, 1080}}},
       {u"A", u"B"}},
      {"stacked at the same left: top one first",
       {{u"low", {0, 1080, 1920, 2160}}, {u"high", {0, 0, 1920, 1080}}},
       {u"high", u"low"}},
      {"negative coordinates sort before zero",
       {{u"P", {0, 0, 1920, 1080}}, {u"L", {-2560, -360, 0, 1080}}, {u"U", {0, -1080, 1920, 0}}},
       {u"L", u"U", u"P"}},
  };
  for (const Case& c : cases) {
    ScreenList list;
    for (const auto& [key, rect] : c.monitors) list.push_back(Monitor(key, rect));
    SortScreens(list);
    EXPECT_EQ(Keys(list), c.expected) << c.name;
  }
}

TEST(ScreenOrder, UnionRectIgnoresEmptyRectangles) {
  EXPECT_EQ(UnionRect({0, 0, 10, 10}, {5, -5, 20, 8}), (Rect{0, -5, 20, 10}));
  EXPECT_EQ(UnionRect({0, 0, 0, 10}, {5, 5, 6, 6}), (Rect{5, 5, 6, 6}));
  EXPECT_EQ(UnionRect({5, 5, 6, 6}, {100, 100, 100, 200}), (Rect{5, 5, 6, 6}));
  EXPECT_EQ(UnionRect({3, 3, 3, 3}, {9, 9, 1, 1}), (Rect{}));
}

TEST(SpanMode, OneRecordOverTheUnionPlacedLast) {
  Settings settings;
  settings.mode = u"span";
  settings.span = u"C:\\w\\sea.mp4";
  ScreenList list;
  list.push_back(Monitor(u"right", {1920, -200, 3200, 824}));
  list.push_back(Monitor(u"left", {0, 0, 1920, 1080}));
  SortScreens(list);
  ASSERT_TRUE(IsSpanMode(settings));
  const Screen* span = AppendSpanRecord(list, settings);
  ASSERT_NE(span, nullptr);
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.back().get(), span);
  EXPECT_EQ(Keys(list), (std::vector<std::u16string>{u"left", u"right", u"span"}));
  EXPECT_TRUE(span->spanning);
  EXPECT_EQ(span->bounds, (Rect{0, -200, 3200, 1080}));
  EXPECT_EQ(span->workArea, span->bounds);
  EXPECT_EQ(span->path, settings.span);
  EXPECT_EQ(span->monitor, nullptr);

  ScreenList none;
  EXPECT_EQ(AppendSpanRecord(none, settings), nullptr);
  EXPECT_TRUE(none.empty());
}

TEST(SpanMode, OnlyTheExactWordSelectsIt) {
  for (const char16_t* mode : {u"screens", u"Span", u"SPAN", u"", u"span ", u"spam"}) {
    Settings settings;
    settings.mode = mode;
    EXPECT_FALSE(IsSpanMode(settings)) << std::string(mode, mode + std::char_traits<char16_t>::length(mode));
  }
}

TEST(ScreenKeys, InterfaceNameElseGdiName) {
  const std::u16string gdi = u"\\\\.\\DISPLAY2";
  const std::u16string iface = u"\\\\?\\DISPLAY#DEL4321#5&1a2b&0&UID4353#{e6f07b5f}";
  EXPECT_EQ(StableScreenKey(true, iface, gdi), iface);
  EXPECT_EQ(StableScreenKey(true, u"", gdi), gdi);
  EXPECT_EQ(StableScreenKey(false, iface, gdi), gdi);
}

TEST(ScreenKeys, AGdiAssignmentMovesToTheStableKeyOnceAndNeverOverAnExistingOne) {
  const std::u16string gdi = u"\\\\.\\DISPLAY2", key = u"\\\\?\\DISPLAY#ABC#1", other = u"\\\\.\\DISPLAY1";
  struct Case {
    AssignmentMap before;
    std::u16string key;
    bool moved;
    AssignmentMap after;
  } cases[] = {
      {{{gdi, u"v.mp4"}, {other, u"o.mp4"}}, key, true, {{key, u"v.mp4"}, {other, u"o.mp4"}}},
      {{{key, u"v.mp4"}, {other, u"o.mp4"}}, key, false, {{key, u"v.mp4"}, {other, u"o.mp4"}}},  // again
      {{{gdi, u"old.png"}, {key, u"new.png"}}, key, false, {{gdi, u"old.png"}, {key, u"new.png"}}},
      {{{gdi, u"a.png"}}, gdi, false, {{gdi, u"a.png"}}},  // keyed by its GDI name
  };
  for (Case& c : cases) {
    EXPECT_EQ(MigrateScreenKey(c.before, c.key, gdi), c.moved);
    EXPECT_EQ(c.before, c.after);
  }
}

TEST(SurfaceRule, CreatesOnlyWithEverythingInPlace) {
  const SurfacePreconditions ok{true, true, false};
  const MediaVerdict video{true, true};
  struct Case {
    const char* name;
    std::u16string path;
    MediaVerdict media;
    SurfacePreconditions pre;
    SurfaceAction expected;
  } cases[] = {
      {"all in place", u"a.mp4", video, ok, SurfaceAction::Create},
      {"no path", u"", video, ok, SurfaceAction::None},
      {"unknown kind logs nothing", u"notes.txt", {false, false}, ok, SurfaceAction::None},
      {"no desktop host", u"a.mp4", video, {false, true, false}, SurfaceAction::None},
      {"no device", u"a.mp4", video, {true, false, false}, SurfaceAction::None},
      {"rendering stopped", u"a.mp4", video, {true, true, true}, SurfaceAction::None},
      // gpuEffects off: shaders and GIFs are known but not usable; a picture is.
      {"shader with gpuEffects off", u"w.hlsl", {true, false}, ok, SurfaceAction::RefuseGpuEffects},
      {"gif with gpuEffects off", u"w.gif", {true, false}, ok, SurfaceAction::RefuseGpuEffects},
      {"png with gpuEffects off", u"w.png", {true, true}, ok, SurfaceAction::Create},
      {"no host wins over gpuEffects", u"w.gif", {true, false}, {false, true, false}, SurfaceAction::None},
  };
  for (const Case& c : cases) EXPECT_EQ(DecideSurface(c.path, c.media, c.pre), c.expected) << c.name;
  EXPECT_EQ(GpuEffectsOffMessage(u"C:\\w.gif"),
            u"shader/GIF wallpapers are off (gpuEffects=0 in lumenhollow.ini): C:\\w.gif");
}

TEST(SurfaceRule, AssignedPathBySpanOrKey) {
  Settings settings;
  settings.span = u"span.mp4";
  settings.assignments = {{u"A", u"a.png"}};
  Screen a, b, span;
  a.key = u"A";
  b.key = u"B";
  span.key = u"span";
  span.spanning = true;
  EXPECT_EQ(AssignedPath(a, settings), u"a.png");
  EXPECT_EQ(AssignedPath(b, settings), u"");
  EXPECT_EQ(AssignedPath(span, settings), u"span.mp4");
}

}  // namespace
