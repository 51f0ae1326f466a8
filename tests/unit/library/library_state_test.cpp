#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "../../support/page_json.h"
#include "../../support/recording_host.h"
#include "../../support/temp_folder.h"
#include "library/library_bridge.h"
#include "library/state_message.h"

namespace {

TEST(JsonQuote, EscapesOnlyWhatJsonNeeds) {
  EXPECT_EQ(JsonQuote(u""), u"\"\"");
  EXPECT_EQ(JsonQuote(u"a\"b\\c\td"), u"\"a\\\"b\\\\c\\u0009d\"");
  EXPECT_EQ(JsonQuote(std::u16string(u"\0\x1f\x20", 3)), u"\"\\u0000\\u001f \"");
  EXPECT_EQ(JsonQuote(u"/\x7f\u00e9\u65e5"), u"\"/\x7f\u00e9\u65e5\"");
  EXPECT_EQ(JsonQuote(u"\U0001F600"), u"\"\U0001F600\"");  // a pair stays as it is
}

TEST(JsonQuote, WritesLoneSurrogatesAsEscapes) {
  const auto q = [](std::initializer_list<char16_t> units) { return JsonQuote(std::u16string(units)); };
  EXPECT_EQ(q({0xD800, u'a'}), u"\"\\ud800a\"");
  EXPECT_EQ(q({u'a', 0xDBFF}), u"\"a\\udbff\"");
  EXPECT_EQ(q({0xDC00, 0xD83D, 0xDE00}), u"\"\\udc00\U0001F600\"");
  EXPECT_EQ(q({0xD83D, 0xD83D, 0xDE00}), u"\"\\ud83d\U0001F600\"");
  EXPECT_EQ(q({0xDE00, 0xD83D}), u"\"\\ude00\\ud83d\"");  // reversed pair: two lone units
}

// Builds snapshots the way the bridge does, from records the test sets up.
struct StateFixture {
  StateSnapshot Snapshot() {
    StateSnapshot snap;
    snap.settings = &settings;
    snap.screens = &screens;
    for (size_t i = 0; i < items.size(); ++i) snap.items.push_back({&items[i], ok[i], thumbs[i], urls[i]});
    snap.startWithWindows = start;
    snap.cpuPercent = cpu;
    snap.privateBytes = ram;
    snap.userPaused = userPaused;
    snap.pauseReason = reason;
    return snap;
  }
  Screen& AddScreen(std::u16string key, Rect bounds, bool playing, bool spanning = false) {
    auto s = std::make_unique<Screen>();
    s->key = std::move(key);
    s->bounds = s->workArea = bounds;
    s->spanning = spanning;
    if (playing) s->renderer = std::make_unique<FakeRenderer>(spanning ? u"span" : s->key);
    screens.push_back(std::move(s));
    return *screens.back();
  }
  void AddItem(LibraryItem item, bool isOk, std::u16string thumb, std::u16string url) {
    items.push_back(std::move(item));
    ok.push_back(isOk);
    thumbs.push_back(std::move(thumb));
    urls.push_back(std::move(url));
  }

  Settings settings;
  ScreenList screens;
  std::vector<LibraryItem> items;
  std::vector<bool> ok;
  std::vector<std::u16string> thumbs, urls;
  bool start = false, userPaused = false;
  double cpu = 0;
  uint64_t ram = 0;
  std::u16string reason;
};

constexpr char16_t kMonitorA[] = u"\\\\?\\DISPLAY#GSM5B09#4&1a2b3c&0&UID4352#{e6f07b5f-ee97-4a90-b076-33f57bf4eaa7}";
constexpr char16_t kMonitorB[] = u"\\\\.\\DISPLAY2";
constexpr char16_t kExe[] = u"C:\\Program Files\\Lumenhollow";

std::unique_ptr<StateFixture> TwoScreensEveryKind() {
  auto f = std::make_unique<StateFixture>();
  Screen& a = f->AddScreen(kMonitorA, {0, 0, 1920, 1080}, true);
  a.primary = true;
  a.friendlyName = u"LG ULTRAGEAR";
  Screen& b = f->AddScreen(kMonitorB, {1920, -200, 3200, 824}, false);
  b.covered = true;
  f->settings.assignments[kMonitorA] = std::u16string(kExe) + u"\\wallpapers\\misty-peaks.mp4";
  f->settings.assignments[u"\\\\.\\DISPLAY9"] = u"C:\\old.mp4";  // a monitor not present now
  f->settings.frames[kMonitorA] = {0.5f, -0.25f, 1.5f};
  const std::u16string w = std::u16string(kExe) + u"\\wallpapers\\";
  f->AddItem({u"Misty peaks", w + u"misty-peaks.mp4", MediaKind::Video, true}, true,
             u"file:///C:/Program%20Files/Lumenhollow/wallpapers/thumbs/misty-peaks.mp4.jpg",
             u"file:///C:/Program%20Files/Lumenhollow/wallpapers/misty-peaks.mp4");
  f->AddItem({u"Aurora sky", w + u"aurora_sky", MediaKind::Web, true}, true, u"", u"");
  f->AddItem({u"Lake", u"D:\\Pictures\\lake.jpg", MediaKind::Image, false}, true,
             u"file:///D:/Pictures/lake.jpg", u"");
  f->AddItem({u"Plasma", u"D:\\Shaders\\plasma.hlsl", MediaKind::Shader, false}, false, u"", u"");
  f->AddItem({u"Cat", u"D:\\Pictures\\cat.gif", MediaKind::Image, false}, false, u"file:///D:/Pictures/cat.gif",
             u"");
  f->AddItem({u"Clip.mp4", u"E:\\gone\\clip.mp4", MediaKind::None, false}, false, u"", u"");
  f->start = true;
  f->cpu = 1.24;
  f->ram = 52428800;
  return f;
}

std::unique_ptr<StateFixture> SpanPausedByUser() {
  auto f = std::make_unique<StateFixture>();
  f->AddScreen(kMonitorB, {-1280, 0, 0, 1024}, false);
  Screen& main = f->AddScreen(kMonitorA, {0, 0, 2560, 1440}, false);
  main.primary = true;
  main.friendlyName = u"DELL U2720Q";
  Screen& span = f->AddScreen(u"span", {-1280, 0, 2560, 1440}, true, true);
  span.paused = true;
  f->settings.mode = u"span";
  f->settings.span = u"D:\\Videos\\Lumenhollow\\Lake - Snowfall.mp4";
  f->settings.frames[u"span"] = {0.1f, 0.2f, 1.5f};
  f->settings.assignments[kMonitorA] = u"C:\\kept-for-screens-mode.mp4";
  f->settings.fit = true;
  f->settings.fps = 60;
  f->settings.idle = 2;
  f->settings.idleMin = 5;
  f->settings.pauseBattery = false;
  f->AddItem({u"Lake   Snowfall", f->settings.span, MediaKind::Video, false}, true, u"",
             u"file:///D:/Videos/Lumenhollow/Lake%20-%20Snowfall.mp4");
  f->userPaused = true;
  f->reason = u"paused by you";
  f->cpu = 0.04;
  f->ram = 123456789;
  return f;
}

std::unique_ptr<StateFixture> FirstRunNothingFound() { return std::make_unique<StateFixture>(); }

// Every text a file name or a monitor can bring, in one string.
const std::u16string kOdd = std::u16string(u"C:\\say \"hi\"\\tab\there\x01\x1f/\x7f\u00e9\u65e5\U0001F600") +
                            char16_t(0xD800) + u"x" + char16_t(0xDC00);

std::unique_ptr<StateFixture> OddNames() {
  auto f = std::make_unique<StateFixture>();
  Screen& s = f->AddScreen(u"\\\\.\\DISPLAY1", {0, 0, 1280, 720}, true);
  s.primary = true;
  s.friendlyName = kOdd;
  f->settings.assignments[s.key] = kOdd + u".mp4";
  f->settings.span = kOdd;
  f->AddItem({kOdd, kOdd + u".png", MediaKind::Image, false}, true, u"file:///odd.png", u"");
  f->reason = u"game / fullscreen app running";
  return f;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(StateMessage, MatchesGoldenTexts) {
  const struct {
    const char* name;
    std::unique_ptr<StateFixture> (*make)();
  } cases[] = {{"two-screens", TwoScreensEveryKind},
               {"span-paused", SpanPausedByUser},
               {"first-run", FirstRunNothingFound},
               {"odd-names", OddNames}};
  for (const auto& c : cases) {
    const std::string path = std::string(LH_SOURCE_DIR) + "/tests/golden/state-" + c.name + ".json";
    const std::string text = Utf16ToUtf8(BuildStateMessage(c.make()->Snapshot()));
    if (std::getenv("LH_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << text;
    EXPECT_EQ(text, ReadFile(path)) << "golden " << path;
  }
}

TEST(StateMessage, SpanPlayingIsDecidedByTheLastSpanningRecord) {
  for (bool lastPlays : {false, true}) {
    StateFixture f;
    f.AddScreen(u"A", {0, 0, 10, 10}, true);
    f.AddScreen(u"span", {0, 0, 10, 10}, !lastPlays, true);
    f.AddScreen(u"span", {0, 0, 10, 10}, lastPlays, true);
    PageJson page;
    ASSERT_TRUE(page.Parse(BuildStateMessage(f.Snapshot())));
    EXPECT_EQ(page.Doc()["spanPlaying"], lastPlays);
    EXPECT_EQ(page.Doc()["screens"].size(), 1u);  // spanning records are not screens
  }
}

TEST(StateMessage, RoundTripsAwkwardTextThroughAStrictReader) {
  auto f = OddNames();
  PageJson page;
  std::string error;
  ASSERT_TRUE(page.Parse(BuildStateMessage(f->Snapshot()), &error)) << error;
  const auto& doc = page.Doc();
  EXPECT_EQ(page.Text(doc["span"]), kOdd);
  EXPECT_EQ(page.Text(doc["screens"][0]["name"]), kOdd);
  EXPECT_EQ(page.Text(doc["screens"][0]["path"]), kOdd + u".mp4");
  EXPECT_EQ(page.Text(doc["items"][0]["name"]), kOdd);
  EXPECT_EQ(page.Text(doc["items"][0]["path"]), kOdd + u".png");
  EXPECT_EQ(page.Text(doc["stats"]["reason"]), u"game / fullscreen app running");

  // The reader itself refuses a raw lone surrogate, so the check above has teeth.
  EXPECT_FALSE(page.Parse(u"{\"t\":\"" + std::u16string(1, char16_t(0xDC00)) + u"\"}"));
}

TEST(SmallMessages, AddedTourAndBake) {
  EXPECT_EQ(BuildAddedMessage({}), u"{\"t\":\"added\",\"paths\":[]}");
  EXPECT_EQ(BuildAddedMessage({u"C:\\a.mp4", u"b\"c"}), u"{\"t\":\"added\",\"paths\":[\"C:\\\\a.mp4\",\"b\\\"c\"]}");
  EXPECT_EQ(BuildTourMessage(), u"{\"t\":\"tour\"}");
  EXPECT_EQ(BuildBakeMessage(0, 4, 37, u"", u""),
            u"{\"t\":\"bake\",\"kind\":0,\"preset\":4,\"pct\":37,\"path\":\"\",\"url\":\"\"}");
  const std::u16string lone(1, char16_t(0xD801));
  PageJson page;
  ASSERT_TRUE(page.Parse(BuildBakeMessage(2, 10, 100, u"V:\\" + lone + u".mp4", u"file:///V:/x.mp4")));
  EXPECT_EQ(page.Text(page.Doc()["path"]), u"V:\\" + lone + u".mp4");
  EXPECT_EQ(page.Doc()["preset"], 10);
}

class BridgeMessages : public testing::Test {
 protected:
  BridgeMessages() { host.exeDir = dir.Path(); }
  TempFolder dir;
  PosixFileProbe probe;
  RecordingHost host;
  LibraryBridge bridge{host, probe};
};

TEST_F(BridgeMessages, WithoutAViewNothingIsPostedOrWatchedButTheUserListStillChanges) {
  host.viewExists = false;
  dir.File("clip.mp4");
  dir.File("baked.mp4");
  bridge.SendState();
  bridge.AddUserWallpapers({dir.Path("clip.mp4")});
  bridge.PostBakeMessage(2, 1, 100, dir.Path("clip.mp4"));
  bridge.TakeBakeRecord(2, 1, 100, dir.Path("baked.mp4"));
  EXPECT_TRUE(host.posted.empty());
  EXPECT_EQ(host.settings.userList, (std::vector<std::u16string>{dir.Path("clip.mp4"), dir.Path("baked.mp4")}));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"SaveSettings", "SaveSettings"}));
  EXPECT_TRUE(bridge.Items().empty()) << "no list, so no folder of the user's is watched";
}

TEST_F(BridgeMessages, AddingReportsEveryUsablePathButListsItOnce) {
  dir.File("clip.mp4");
  dir.File("fx.hlsl");
  const std::vector<std::u16string> drop = {dir.Path("clip.mp4"), dir.Path("fx.hlsl"), dir.Path("gone.mp4")};
  bridge.AddUserWallpapers(drop);
  bridge.AddUserWallpapers(drop);
  EXPECT_EQ(host.settings.userList, std::vector<std::u16string>{dir.Path("clip.mp4")});
  EXPECT_EQ(host.calls, (std::vector<std::string>{"SaveSettings", "Post state", "Post added", "SaveSettings",
                                                   "Post state", "Post added"}));
  PageJson page;
  for (size_t i : {1u, 3u}) {
    ASSERT_TRUE(page.Parse(host.posted[i]));
    ASSERT_EQ(page.Doc()["paths"].size(), 1u);
    EXPECT_EQ(page.Text(page.Doc()["paths"][0]), dir.Path("clip.mp4"));
  }
  ASSERT_TRUE(page.Parse(host.posted[2]));
  ASSERT_EQ(page.Doc()["items"].size(), 1u);  // the rescan shows the new item
  EXPECT_EQ(page.Doc()["items"][0]["url"], Utf16ToUtf8(probe.FileUrl(dir.Path("clip.mp4"))));
}

TEST_F(BridgeMessages, StateAsksTheFileSystemAfresh) {
  dir.File("wallpapers/a.gif");
  bridge.SendState();
  host.settings.gpuEffects = true;
  bridge.SendState();
  dir.Remove("wallpapers/a.gif");
  bridge.SendState();  // the list is kept, but "ok" is asked again
  PageJson page;
  std::vector<bool> ok;
  for (const auto& message : host.posted) {
    ASSERT_TRUE(page.Parse(message));
    ASSERT_EQ(page.Doc()["items"].size(), 1u);
    ok.push_back(page.Doc()["items"][0]["ok"]);
  }
  EXPECT_EQ(ok, (std::vector<bool>{false, true, false}));
  bridge.ReleaseLibraryList();
  bridge.SendState();
  ASSERT_TRUE(page.Parse(host.posted.back()));
  EXPECT_TRUE(page.Doc()["items"].empty());
}

TEST_F(BridgeMessages, BakeMessageCarriesTheFileUrl) {
  bridge.PostBakeMessage(1, 7, 0, u"\\tmp\\p 7.mp4");
  bridge.PostBakeMessage(3, 7, 100, u"");
  PageJson page;
  ASSERT_TRUE(page.Parse(host.posted[0]));
  EXPECT_EQ(page.Doc()["url"], "file:///tmp/p 7.mp4");
  ASSERT_TRUE(page.Parse(host.posted[1]));
  EXPECT_EQ(page.Doc()["url"], "");
}

}  // namespace
