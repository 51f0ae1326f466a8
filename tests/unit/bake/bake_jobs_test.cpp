#include <gtest/gtest.h>

#include <map>
#include <set>
#include <tuple>

#include "bake/bake_jobs.h"
#include "bake/bake_naming.h"
#include "render/exif_orientation.h"
#include "../../support/test_sink.h"

namespace {

TEST(BakeNaming, SizesForBakesAndPreviews) {
  struct Case {
    int32_t w, h, maxSide, wantW, wantH;
  } cases[] = {
      {1000, 500, 0, 1280, 640},    {1000, 500, 480, 480, 240},   {4000, 3000, 0, 2560, 1920},
      {6000, 4000, 0, 2560, 1706},  {1920, 1080, 0, 1920, 1080},  {3, 1000, 480, 2, 480},
      {1001, 1001, 0, 1280, 1280},  {2000, 1000, 1280, 1280, 640},
  };
  for (const Case& c : cases) {
    int32_t w = -1, h = -1;
    ASSERT_TRUE(BakeSizeFor(c.w, c.h, c.maxSide, w, h)) << c.w << "x" << c.h;
    EXPECT_EQ(std::pair(w, h), std::pair(c.wantW, c.wantH)) << c.w << "x" << c.h << " to " << c.maxSide;
  }
  int32_t w = 0, h = 0;
  EXPECT_FALSE(BakeSizeFor(0, 100, 0, w, h));
  EXPECT_FALSE(BakeSizeFor(100, 100, 2000000000, w, h));  // from a hostile command line
  EXPECT_TRUE(BakeSizeFor(100, 100, -5, w, h));
  EXPECT_EQ(w, 2);
}

TEST(BakeNaming, PictureKeysAndFileNames) {
  EXPECT_EQ(PictureKey(u"C:\\Pictures\\misty_lake.jpg"), u"2195b3f6");
  EXPECT_EQ(PictureKey(u"c:\\pictures\\misty_lake.jpg"), u"26349476");  // case makes another key
  EXPECT_EQ(PictureKey(u""), u"84222325");
  EXPECT_EQ(PictureKey(u"D:\\Fotos\\\u00C7a.png"), u"a20cbf53");

  EXPECT_EQ(BakedFilePath(u"V:\\Lumenhollow", u"Misty lake", 3, u'\\'), u"V:\\Lumenhollow\\Misty lake - Snowfall.mp4");
  EXPECT_EQ(BakedFilePath(u"/v", u"Misty lake", 10, u'/'), u"/v/Misty lake - Sparkle.mp4");
  EXPECT_EQ(PreviewFilePath(u"D:\\data\\previews", u"2195b3f6", 10, u'\\'), u"D:\\data\\previews\\2195b3f6-10.mp4");

  EXPECT_EQ(TemporaryVideoPath(u"V:\\L\\Misty lake - Snowfall.mp4"), u"V:\\L\\Misty lake - Snowfall.baking.mp4");
  EXPECT_EQ(TemporaryVideoPath(u"/a.b/out"), u"/a.b/out.baking");
}

TEST(BakeNaming, NextFreeNameBesideABusyVideo) {
  struct Case {
    const char16_t* path;
    std::set<std::u16string> taken;
    const char16_t* want;
  } cases[] = {
      {u"V:\\L\\Photo - Snowfall.mp4", {}, u"V:\\L\\Photo - Snowfall (2).mp4"},
      {u"V:\\L\\Photo - Snowfall.mp4", {u"V:\\L\\Photo - Snowfall (2).mp4"}, u"V:\\L\\Photo - Snowfall (3).mp4"},
      {u"V:\\L\\Photo - Snowfall.mp4", {u"V:\\L\\Photo - Snowfall (3).mp4"}, u"V:\\L\\Photo - Snowfall (2).mp4"},
      {u"/v.d/Photo", {}, u"/v.d/Photo (2)"},
      {u"/v/a.b.mp4", {}, u"/v/a.b (2).mp4"},
  };
  for (const Case& c : cases) {
    const auto exists = [&](const std::u16string& p) { return c.taken.count(p) > 0; };
    EXPECT_EQ(NextFreeVideoPath(c.path, exists), c.want);
  }
  EXPECT_EQ(NumberedVideoPath(u"/v/x.mp4", 12), u"/v/x (12).mp4");
  EXPECT_EQ(NextFreeVideoPath(u"/v/x.mp4", [](const std::u16string&) { return true; }), u"");
}

TEST(BakeNaming, ChildArguments) {
  const auto fields = [](const char16_t* line) {
    const BakeChildArguments a = ParseBakeChildArguments(line);
    return std::tuple(a.preset, a.size, a.source, a.output);
  };
  using F = std::tuple<int32_t, int32_t, std::u16string, std::u16string>;
  EXPECT_EQ(fields(u"3 0 C:\\p\\lake.jpg|C:\\out\\lake.mp4"), F(3, 0, u"C:\\p\\lake.jpg", u"C:\\out\\lake.mp4"));
  EXPECT_TRUE(ParseBakeChildArguments(u"3 0 a|b").hasSeparator);
  // No bar, or text that fails to parse as numbers: no paths.
  for (const char16_t* bad : {u"3 0 C:\\p\\lake.jpg", u"", u"x 0 a|b", u"3 big a|b"})
    EXPECT_FALSE(ParseBakeChildArguments(bad).hasSeparator);
  EXPECT_EQ(fields(u"  -1   480   a b.png|c d.mp4  \t \r\n"), F(-1, 480, u"a b.png", u"c d.mp4"));
  // Only the first bar splits; the rest of the line stops at a line break.
  EXPECT_EQ(fields(u"11 0 a|b|c\nignored|x"), F(11, 0, u"a", u"b|c"));
  EXPECT_EQ(fields(u"99999999999 -99999999999 a|b"), F(INT32_MAX, INT32_MIN, u"a", u"b"));

  EXPECT_EQ(FormatEncodeError(1, static_cast<int32_t>(0x80070057u), u"C:\\o\\\u00E9.mp4"),
            "encode step 1 hr 0x80070057 out=[C:\\o\\\xC3\xA9.mp4]");
}

// A JPEG start, an APP1 Exif segment with one IFD0 entry, then image data.
std::string JpegWithOrientation(int orientation, bool little) {
  std::string tiff = little ? std::string("II\x2A\0\x08\0\0\0", 8) : std::string("MM\0\x2A\0\0\0\x08", 8);
  auto u16 = [&](int v) {
    tiff += little ? static_cast<char>(v & 255) : static_cast<char>(v >> 8);
    tiff += little ? static_cast<char>(v >> 8) : static_cast<char>(v & 255);
  };
  u16(3);
  u16(0x010F), u16(2), u16(0), u16(4), u16(0), u16(0);  // Make, ASCII: another tag first
  u16(274), u16(3), u16(little ? 1 : 0), u16(little ? 0 : 1), u16(orientation), u16(0);
  u16(0x0131), u16(2), u16(0), u16(4), u16(0), u16(0);  // Software, and one after it
  const std::string body = std::string("Exif\0\0", 6) + tiff;
  std::string jpeg("\xFF\xD8\xFF\xE0\x00\x04xx", 8);  // a JFIF-like segment before it
  jpeg += "\xFF\xE1";
  jpeg += static_cast<char>((body.size() + 2) >> 8);
  jpeg += static_cast<char>((body.size() + 2) & 255);
  return jpeg + body + "\xFF\xDA";
}

TEST(BakeExif, OrientationIsReadAndApplied) {
  for (int o = 1; o <= 8; ++o) {
    EXPECT_EQ(ReadExifOrientation(JpegWithOrientation(o, true)), o);
    EXPECT_EQ(ReadExifOrientation(JpegWithOrientation(o, false)), o);
  }
  EXPECT_EQ(ReadExifOrientation(JpegWithOrientation(9, true)), 1);
  for (bool little : {true, false}) {  // a TIFF file is the Exif block on its own
    const std::string jpeg = JpegWithOrientation(8, little);
    EXPECT_EQ(ReadExifOrientation(jpeg.substr(jpeg.find(little ? "II" : "MM"))), 8) << little;
  }
  EXPECT_EQ(ReadExifOrientation("\x89PNG\r\n"), 1);
  const std::string good = JpegWithOrientation(6, true);
  // A segment cut short is no Exif; the last two bytes are the image data's marker.
  for (size_t cut = 0; cut < good.size(); ++cut)
    EXPECT_EQ(ReadExifOrientation(good.substr(0, cut)), cut + 2 < good.size() ? 1 : 6) << cut;
  std::string lying = good;
  lying[7 + 4] = '\x7F';  // segment length far past the end
  EXPECT_EQ(ReadExifOrientation(lying), 1);
  // Only segments before the image data count; an empty segment is no end.
  const std::string afterSoi = good.substr(2);
  EXPECT_EQ(ReadExifOrientation(std::string("\xFF\xD8\xFF\xDA\x00\x04xx", 8) + afterSoi), 1) << "Exif after SOS";
  EXPECT_EQ(ReadExifOrientation(std::string("\xFF\xD8\xFF\xD9\x00\x04xx", 8) + afterSoi), 1) << "Exif after EOI";
  EXPECT_EQ(ReadExifOrientation(std::string("\xFF\xD8\xFF\xE2\x00\x02", 6) + afterSoi), 6) << "empty APP2 first";

  // A 3x2 picture numbered 0..5; orientation 6 turns it clockwise.
  const std::vector<uint32_t> picture = {0, 1, 2, 3, 4, 5};
  const std::map<int, std::vector<uint32_t>> upright = {
      {2, {2, 1, 0, 5, 4, 3}}, {3, {5, 4, 3, 2, 1, 0}}, {4, {3, 4, 5, 0, 1, 2}}, {5, {0, 3, 1, 4, 2, 5}},
      {6, {3, 0, 4, 1, 5, 2}}, {7, {5, 2, 4, 1, 3, 0}}, {8, {2, 5, 1, 4, 0, 3}},
  };
  for (const auto& [o, want] : upright) {
    std::vector<uint32_t> p = picture;
    int32_t w = 3, h = 2;
    OrientPixels(p, w, h, o);
    EXPECT_EQ(p, want) << o;
    EXPECT_EQ(w, o >= 5 ? 2 : 3);
  }
}

// Files and decoding in memory, with an encoder sink that can fail.
struct FakePlatform {
  std::set<std::u16string> files;
  std::map<std::u16string, int> contents;  // which encode wrote it
  std::vector<std::u16string> logs;
  std::set<std::u16string> decodable{u"/p/lake.jpg"};
  std::set<std::u16string> busy;  // open elsewhere: cannot be replaced
  int decodes = 0, encodes = 0;
  int32_t lastMaxSide = -1;
  int failEncodeAtStep = 0;
  std::atomic<uint8_t>* cancelDuringEncode = nullptr;

  BakeEnvironment Environment() {
    BakeEnvironment env;
    env.separator = u'/';
    env.decode = [this](const std::u16string& path, int32_t maxSide, std::vector<uint32_t>& px, int32_t& w,
                        int32_t& h) {
      ++decodes;
      if (!decodable.count(path)) return false;
      // Small frames keep the 360-frame bakes quick.
      lastMaxSide = maxSide;
      w = 16, h = 8;
      px.assign(static_cast<size_t>(w) * h, 0xFF336699u);
      return true;
    };
    env.makeSink = [this]() {
      auto sink = std::make_unique<TestSink>();
      sink->failStep = failEncodeAtStep;
      sink->onCreated = [this](const std::u16string& out) {
        files.insert(out);
        contents[out] = ++encodes;
      };
      sink->onFrame = [this](size_t frames) {
        if (frames == 3 && cancelDuringEncode) cancelDuringEncode->store(1);
      };
      return sink;
    };
    env.exists = [this](const std::u16string& f) { return files.count(f) > 0; };
    env.createFolder = [](const std::u16string&) {};
    env.deleteFile = [this](const std::u16string& f) {
      files.erase(f);
      contents.erase(f);
    };
    env.replaceFile = [this](const std::u16string& from, const std::u16string& to) {
      if (!files.count(from) || busy.count(to)) return false;
      files.erase(from);
      files.insert(to);
      contents[to] = contents[from];
      contents.erase(from);
      return true;
    };
    env.log = [this](const std::u16string& m) { logs.push_back(m); };
    env.displayName = [](const std::u16string&) { return std::u16string(u"Lake"); };
    env.videoFolder = []() { return std::u16string(u"/videos"); };
    env.previewFolder = []() { return std::u16string(u"/data/previews"); };
    return env;
  }
};

// A record's kind, percent and path, compared whole.
using Kp = std::tuple<int32_t, int32_t, std::u16string>;
Kp Kpp(const BakeProgressRecord& r) { return {r.kind, r.pct, r.path}; }

std::vector<BakeProgressRecord> RunJob(FakePlatform& fake, const std::u16string& source, int32_t preset,
                                       std::atomic<uint8_t>& cancel) {
  std::vector<BakeProgressRecord> records;
  RunBakeJob(BakeJob{source, preset}, fake.Environment(), cancel,
             [&](BakeProgressRecord r) { records.push_back(std::move(r)); });
  return records;
}

TEST(BakeJobs, BakeReportsProgressThenTheVideo) {
  FakePlatform fake;
  std::atomic<uint8_t> cancel{0};
  auto records = RunJob(fake, u"/p/lake.jpg", 3, cancel);
  ASSERT_EQ(records.size(), 61u);
  EXPECT_EQ(Kpp(records[1]), Kp(0, 1, u""));
  EXPECT_EQ(Kpp(records.back()), Kp(2, 100, u"/videos/Lake - Snowfall.mp4"));
  EXPECT_EQ(fake.lastMaxSide, 0);
  EXPECT_EQ(fake.files, (std::set<std::u16string>{u"/videos/Lake - Snowfall.mp4"}));

  // Another preset is another file; the same preset again replaces it.
  RunJob(fake, u"/p/lake.jpg", 4, cancel);
  RunJob(fake, u"/p/lake.jpg", 3, cancel);
  EXPECT_EQ(fake.files.size(), 2u);
  EXPECT_EQ(fake.contents[u"/videos/Lake - Snowfall.mp4"], 3);
  EXPECT_TRUE(fake.logs.empty());
}

TEST(BakeJobs, ARebakeOverAPlayingVideoKeepsTheNewOneUnderTheNextFreeName) {
  FakePlatform fake;
  std::atomic<uint8_t> cancel{0};
  const std::u16string video = u"/videos/Lake - Snowfall.mp4";
  RunJob(fake, u"/p/lake.jpg", 3, cancel);
  fake.busy.insert(video);
  auto records = RunJob(fake, u"/p/lake.jpg", 3, cancel);
  EXPECT_EQ(Kpp(records.back()), Kp(2, 100, u"/videos/Lake - Snowfall (2).mp4"));
  EXPECT_EQ(fake.contents[video], 1) << "the playing video is untouched";
  EXPECT_EQ(fake.contents[records.back().path], 2);
  records = RunJob(fake, u"/p/lake.jpg", 3, cancel);
  EXPECT_EQ(records.back().path, u"/videos/Lake - Snowfall (3).mp4");
  EXPECT_EQ(fake.files.size(), 3u) << "no temporary file left";
  EXPECT_TRUE(fake.logs.empty());
}

TEST(BakeJobs, FailedOrCancelledBakeKeepsTheEarlierVideo) {
  FakePlatform fake;
  std::atomic<uint8_t> cancel{0};
  RunJob(fake, u"/p/lake.jpg", 3, cancel);
  const std::u16string video = u"/videos/Lake - Snowfall.mp4";
  for (int step = 1; step <= 6; ++step) {
    fake.failEncodeAtStep = step;
    auto records = RunJob(fake, u"/p/lake.jpg", 3, cancel);
    EXPECT_EQ(Kpp(records.back()), Kp(3, 100, u""));
    EXPECT_EQ(fake.files, std::set<std::u16string>{video}) << "step " << step;
    EXPECT_EQ(fake.contents[video], 1);
  }
  EXPECT_EQ(fake.logs.size(), 6u);
  EXPECT_EQ(fake.logs[0], u"could not animate /p/lake.jpg");

  fake.failEncodeAtStep = 0;
  fake.cancelDuringEncode = &cancel;
  auto records = RunJob(fake, u"/p/lake.jpg", 3, cancel);
  EXPECT_EQ(records.back().kind, 3);
  EXPECT_EQ(fake.contents[video], 1);
  EXPECT_EQ(fake.files.size(), 1u);
  EXPECT_EQ(fake.logs.size(), 6u);  // a cancel is not logged

  cancel = 0;
  records = RunJob(fake, u"/p/missing.jpg", 5, cancel);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, 3);
  EXPECT_EQ(fake.logs.back(), u"could not animate /p/missing.jpg");
}

TEST(BakeJobs, PreviewsAreMadeOnceAndStopAtAnUndecodablePicture) {
  FakePlatform fake;
  std::atomic<uint8_t> cancel{0};
  auto first = RunJob(fake, u"/p/lake.jpg", -1, cancel);
  ASSERT_EQ(first.size(), 11u);
  const std::u16string key = PictureKey(u"/p/lake.jpg");
  for (int32_t i = 0; i < 11; ++i)
    EXPECT_EQ(std::tuple(first[i].kind, first[i].preset, first[i].path),
              std::tuple(1, i, PreviewFilePath(u"/data/previews", key, i, u'/')));
  // No temporary file is left behind.
  EXPECT_EQ(std::tuple(fake.decodes, fake.lastMaxSide, fake.files.size()), std::tuple(11, 480, 11u));

  auto second = RunJob(fake, u"/p/lake.jpg", -1, cancel);
  EXPECT_EQ(second.size(), 11u);
  EXPECT_EQ(fake.decodes, 11);  // nothing decoded the second time

  auto bad = RunJob(fake, u"/p/broken.jpg", -1, cancel);
  ASSERT_EQ(bad.size(), 1u);
  EXPECT_EQ(std::tuple(bad[0].kind, bad[0].preset, bad[0].pct), std::tuple(3, 0, 0));

  // A preview whose encoder fails is skipped silently, leaving no file.
  FakePlatform failing;
  failing.failEncodeAtStep = 6;
  EXPECT_TRUE(RunJob(failing, u"/p/lake.jpg", -1, cancel).empty());
  EXPECT_TRUE(failing.files.empty());

  // Cancelling ends the run after the current preview, which is dropped.
  FakePlatform cancelled;
  cancelled.cancelDuringEncode = &cancel;
  EXPECT_TRUE(RunJob(cancelled, u"/p/lake.jpg", -1, cancel).empty());
  EXPECT_TRUE(cancelled.files.empty());
}

TEST(BakeJobs, ThreadQueueAndFlags) {
  FakePlatform fake;
  BakeEnvironmentSlot() = fake.Environment();
  std::atomic<int> notified{0};
  BakeEnvironmentSlot().notify = [&]() { ++notified; };
  TakeBakeProgress();

  // A cancel with nothing running is cleared by the next job.
  gBakeCancel = 1;
  StartBakeJob(u"/p/lake.jpg", 6);
  StopBakeThread();
  std::vector<BakeProgressRecord> records = TakeBakeProgress();
  ASSERT_FALSE(records.empty());
  EXPECT_EQ(gBakeBusy.load(), 0);
  EXPECT_EQ(notified.load(), static_cast<int>(records.size()));
  EXPECT_TRUE(TakeBakeProgress().empty());
  // Either it finished before the stop or the stop cancelled it: both end with one final record.
  EXPECT_TRUE(records.back().kind == 2 || records.back().kind == 3);
  EXPECT_EQ(records.back().kind == 2, records.size() == 61u);

  // A second job cancels and joins the first before starting.
  gBakeCancel = 0;
  StartBakeJob(u"/p/lake.jpg", 4);
  StartBakeJob(u"/p/lake.jpg", 5);
  StopBakeThread();
  records = TakeBakeProgress();
  int finals = 0;
  for (const auto& r : records) finals += r.kind >= 2;
  EXPECT_EQ(finals, 2);

  // After shutdown a late page command starts no thread; the page hears of a failure.
  StartBakeJob(u"/p/lake.jpg", 2);
  CloseBakeJobs();
  TakeBakeProgress();
  const int decodes = fake.decodes;
  StartBakeJob(u"/p/lake.jpg", 3);
  StartBakeJob(u"/p/lake.jpg", -1);
  EXPECT_EQ(gBakeBusy.load(), 0);
  records = TakeBakeProgress();
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(Kpp(records[0]), Kp(3, 100, u""));
  EXPECT_EQ(Kpp(records[1]), Kp(3, 0, u""));
  CloseBakeJobs();
  EXPECT_EQ(fake.decodes, decodes);
  BakeEnvironmentSlot() = BakeEnvironment{};
}

}  // namespace
