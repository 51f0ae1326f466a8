#include "base/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Settings Load(const std::string& text) {
  Settings s;
  ParseSettings(text, s);
  return s;
}

const char kDefaultFile[] =
    "pauseFullscreen=1\r\npauseCovered=1\r\npauseBattery=1\r\nfps=30\r\nshaderScale=50\r\n"
    "gpuEffects=0\r\nfit=0\r\nmode=screens\r\nidle=0\r\nidleMin=10\r\n";

TEST(Settings, DefaultsWriteTheDocumentedFileByteForByte) {
  EXPECT_EQ(FormatSettings(Settings{}), kDefaultFile);
  EXPECT_EQ(FormatSettings(Load(kDefaultFile)), kDefaultFile);
}

TEST(Settings, IntegersAreReadLikeWtoiAndClamped) {
  struct Case {
    const char* line;
    int32_t Settings::*field;
    int32_t expected;
  } cases[] = {
      {"fps=1000", &Settings::fps, 240},         {"fps=0", &Settings::fps, 5},
      {"fps=abc", &Settings::fps, 5},            {"fps=", &Settings::fps, 5},
      {"fps=  +60fps", &Settings::fps, 60},      {"fps=-7", &Settings::fps, 5},
      {"fps=99999999999999", &Settings::fps, 240}, {"fps=120", &Settings::fps, 120},
      {"idleMin=0", &Settings::idleMin, 1},      {"idleMin=121", &Settings::idleMin, 120},
      {"idle=7", &Settings::idle, 2},            {"idle=-1", &Settings::idle, 0},
      {"idle=1", &Settings::idle, 1},            {"shaderScale=10", &Settings::shaderScale, 25},
      {"shaderScale=101", &Settings::shaderScale, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(Load(c.line).*c.field, c.expected) << c.line;
}

TEST(Settings, LeadingIntegerEdgeCases) {
  EXPECT_EQ(ParseLeadingInt(u" \t-42x"), -42);
  EXPECT_EQ(ParseLeadingInt(u"- 5"), 0);
  EXPECT_EQ(ParseLeadingInt(u"2147483648"), 2147483647);
  EXPECT_EQ(ParseLeadingInt(u"-2147483648"), -2147483647 - 1);
  EXPECT_EQ(ParseLeadingInt(u"-99999999999"), -2147483647 - 1);
}

TEST(Settings, OnlyOneIsTrue) {
  EXPECT_FALSE(Load("pauseBattery=true").pauseBattery);
  EXPECT_FALSE(Load("pauseBattery= 1").pauseBattery);
  EXPECT_FALSE(Load("pauseFullscreen=0").pauseFullscreen);
  EXPECT_TRUE(Load("gpuEffects=1").gpuEffects);
  EXPECT_TRUE(Load("fit=1").fit);
  EXPECT_FALSE(Load("fit=11").fit);
}

TEST(Settings, ModeIsSpanOnlyWhenExactlySpan) {
  EXPECT_EQ(Load("mode=span").mode, u"span");
  EXPECT_EQ(Load("mode=SPAN").mode, u"screens");
  EXPECT_EQ(Load("mode=span ").mode, u"screens");
}

TEST(Settings, ByteOrderMarkAndCrLfLoadTheSame) {
  const std::string plain = "fps=60\nlib=C:\\a.mp4\nscreen:X=C:\\b.png";
  const std::string windows = "\xEF\xBB\xBF" "fps=60\r\nlib=C:\\a.mp4\r\nscreen:X=C:\\b.png\r\n";
  EXPECT_EQ(FormatSettings(Load(plain)), FormatSettings(Load(windows)));
  EXPECT_EQ(Load(windows).userList.at(0), u"C:\\a.mp4");
}

TEST(Settings, ValuesKeepEverythingAfterTheFirstEquals) {
  const Settings s = Load("lib=C:\\a=b.mp4\nspan=D:\\x==y.mp4\nscreen:\\\\.\\DISPLAY1=C:\\q=1.png");
  EXPECT_EQ(s.userList.at(0), u"C:\\a=b.mp4");
  EXPECT_EQ(s.span, u"D:\\x==y.mp4");
  EXPECT_EQ(s.assignments.at(u"\\\\.\\DISPLAY1"), u"C:\\q=1.png");
}

TEST(Settings, FramesNeedThreeFiniteNumbers) {
  const Settings s = Load(
      "frame:DISPLAY=0.1,0.2\n"
      "frame:span=0,0,1\n"
      "frame:A=0.25, 0.75,2.5junk\n"
      "frame:N=nan,0.5,1\n"
      "frame:I=0.5,inf,1\n"
      "frame:B=0.5 ,0.5,1\n"
      "frame:E=1e-1,-2,3\n");
  EXPECT_FALSE(s.frames.contains(u"DISPLAY"));
  ASSERT_TRUE(s.frames.contains(u"span"));
  EXPECT_EQ(s.frames.at(u"span").zoom, 1.0f);
  ASSERT_TRUE(s.frames.contains(u"A"));
  EXPECT_FLOAT_EQ(s.frames.at(u"A").y, 0.75f);
  EXPECT_FLOAT_EQ(s.frames.at(u"A").zoom, 2.5f);
  EXPECT_FALSE(s.frames.contains(u"N"));
  EXPECT_FALSE(s.frames.contains(u"I"));
  EXPECT_FALSE(s.frames.contains(u"B"));  // "%f," wants the comma right after the number
  ASSERT_TRUE(s.frames.contains(u"E"));
  EXPECT_FLOAT_EQ(s.frames.at(u"E").x, 0.1f);
}

TEST(Settings, RepeatedKeysLastWinsExceptLibWhichAccumulates) {
  const Settings s = Load(
      "fps=60\nfps=90\nlib=C:\\a.mp4\nlib=C:\\a.mp4\nlib=C:\\b.mp4\n"
      "screen:X=C:\\1.png\nscreen:X=C:\\2.png\nframe:X=0,0,1\nframe:X=1,1,2\n");
  EXPECT_EQ(s.fps, 90);
  ASSERT_EQ(s.userList.size(), 3u);
  EXPECT_EQ(s.userList[2], u"C:\\b.mp4");
  EXPECT_EQ(s.assignments.at(u"X"), u"C:\\2.png");
  EXPECT_EQ(s.frames.at(u"X").zoom, 2.0f);
}

TEST(Settings, SaveSortsMapsDropsUnknownKeysAndListsSpanOnlyWhenSet) {
  const Settings s = Load(
      "whatever=1\n"
      "no equals sign\n"
      "=orphan value\n"
      "screen:b=C:\\b.mp4\nscreen:B=C:\\B.mp4\nscreen:a=C:\\a.mp4\n"
      "frame:z=0.5,0.5,2\nframe:Z=0.125,0.875,1.5\n"
      "lib=C:\\2.mp4\nlib=C:\\1.mp4\n"
      "span=\n");
  EXPECT_EQ(FormatSettings(s),
            std::string(kDefaultFile) +
                "frame:Z=0.1250,0.8750,1.500\r\n"
                "frame:z=0.5000,0.5000,2.000\r\n"
                "lib=C:\\2.mp4\r\nlib=C:\\1.mp4\r\n"
                "screen:B=C:\\B.mp4\r\nscreen:a=C:\\a.mp4\r\nscreen:b=C:\\b.mp4\r\n");
  Settings span = s;
  span.span = u"C:\\wide.mp4";
  span.mode = u"span";
  const std::string text = FormatSettings(span);
  EXPECT_NE(text.find("mode=span\r\nspan=C:\\wide.mp4\r\nidle=0\r\n"), std::string::npos);
}

TEST(Settings, NewKeysComeAfterTheOldOnesAndSurviveLoadAndSave) {
  const std::string file = std::string(kDefaultFile) +
                           "screen:A=C:\\a.png\r\n"
                           "pauseAction=stop\r\n"
                           "rotation:A=15,shuffled,1,1700000000,0,2 0 1\r\n"
                           "rotitem:A=C:\\a.png\r\nrotitem:A=C:\\b,1.png\r\nrotitem:A=C:\\c.png\r\n"
                           "rule=running,obs64.exe\r\nrule=notfullscreen,Tool, Pro.EXE\r\n";
  const Settings s = Load(file);
  EXPECT_TRUE(s.stopWhenPaused);
  EXPECT_EQ(s.rules, (std::vector<ProgramRule>{{u"obs64.exe", RuleAction::PauseWhileRunning},
                                               {u"Tool, Pro.EXE", RuleAction::NeverFullScreen}}));
  EXPECT_EQ(s.rotations.at(u"A").items.at(1), u"C:\\b,1.png");
  EXPECT_EQ(FormatSettings(s), file);
  // Read in any order, written in the file's own.
  EXPECT_EQ(FormatSettings(Load("rule=foreground,x.exe\nrotitem:A=C:\\a.png\nscreen:A=C:\\a.png\n")),
            std::string(kDefaultFile) +
                "screen:A=C:\\a.png\r\nrotation:A=30,listed,0,0,0,0\r\nrotitem:A=C:\\a.png\r\n"
                "rule=foreground,x.exe\r\n");
}

TEST(Settings, BadRulesAndFloodsAreDropped) {
  std::string file = "pauseAction=STOP\nrule=running,\nrule=sometimes,a.exe\nrule=foreground\n";
  for (int i = 0; i < 3000; ++i) file += "rule=running,p" + std::to_string(i) + ".exe\nrotitem:R" +
                                         std::to_string(i % 100) + "=x\n";
  for (int i = 0; i < 3000; ++i) file += "rotitem:A=C:\\" + std::to_string(i) + ".png\n";
  const Settings s = Load(file);
  EXPECT_FALSE(s.stopWhenPaused);
  EXPECT_EQ(s.rules.size(), kMaxRules);
  EXPECT_EQ(s.rules[0].program, u"p0.exe");
  EXPECT_EQ(s.rotations.size(), kMaxRotations);
  EXPECT_EQ(s.rotations.at(u"A").items.size(), kMaxRotationItems);
  EXPECT_EQ(Load(FormatSettings(s)).rules, s.rules);
}

TEST(Settings, NonAsciiPathsRoundTripAsUtf8) {
  Settings s;
  s.userList.push_back(u"C:\\Vid\u00e9os\\\u96ea\U0001F319.mp4");
  const std::string text = FormatSettings(s);
  EXPECT_NE(text.find("lib=C:\\Vid\xC3\xA9os\\\xE9\x9B\xAA\xF0\x9F\x8C\x99.mp4\r\n"), std::string::npos);
  EXPECT_EQ(Load(text).userList, s.userList);
}

}  // namespace
