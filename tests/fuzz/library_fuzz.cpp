// Drives the library bridge with arbitrary screens, files, settings and page
// messages. Every message the page would receive must parse as JSON and keep
// its paths, and no command may leave a frame that is not finite or a setting
// outside its range.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdlib>
#include <map>

#include "../support/page_json.h"
#include "../support/recording_host.h"
#include "library/library_bridge.h"

namespace {

// Files exist only in this map; a folder's listing is every entry directly under it.
class MemoryProbe final : public FileProbe {
 public:
  uint32_t Attributes(const std::u16string& path) const override {
    const auto found = entries.find(path);
    return found == entries.end() ? kInvalidFileAttributes : found->second;
  }
  void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override {
    const std::u16string prefix = folder + u"\\";
    for (const auto& [path, attributes] : entries)
      if (path.starts_with(prefix) && path.find(u'\\', prefix.size()) == std::u16string::npos)
        names.push_back(path.substr(prefix.size()));
  }
  std::u16string FileUrl(const std::u16string& path) const override {
    return path.size() % 7 == 3 ? std::u16string() : u"file:///" + path;
  }
  std::map<std::u16string, uint32_t> entries;
};

std::u16string Text(FuzzedDataProvider& in, size_t maxUnits = 24) {
  std::u16string text;
  const size_t units = in.ConsumeIntegralInRange<size_t>(0, maxUnits);
  for (size_t i = 0; i < units && in.remaining_bytes() > 0; ++i) {
    // Mostly short names from a few letters, dots and separators; sometimes any unit at all.
    if (in.ConsumeBool())
      text += in.ConsumeIntegral<char16_t>();
    else
      text += u"ab.\\_-x1 "[in.ConsumeIntegralInRange<int>(0, 8)];
  }
  return text;
}

const std::u16string kNames[] = {u"ready",    u"apply", u"clear", u"span",       u"mode",  u"add",
                                 u"addfolder", u"remove", u"pause", u"identify",   u"previews", u"bake",
                                 u"bakecancel", u"saver", u"frame", u"set",        u"drop",  u"Apply"};
const std::u16string kSetKeys[] = {u"pfs", u"pcov", u"pbat", u"start", u"idle", u"idlemin", u"fps", u"fit", u"x"};
const std::u16string kFieldWords[] = {u"all", u"span", u"-1", u"0", u"1", u"2", u"nan", u"inf", u"1e999", u"0.5"};

void Fail(const char* what, const std::u16string& message) {
  fprintf(stderr, "%s: %s\n", what, Utf16ToUtf8(message).c_str());
  abort();
}

// A field is a word the commands know, a path the probe knows, or anything.
std::u16string Field(FuzzedDataProvider& in, const std::vector<std::u16string>& paths) {
  switch (in.ConsumeIntegralInRange<int>(0, 3)) {
    case 0: return kFieldWords[in.ConsumeIntegralInRange<size_t>(0, std::size(kFieldWords) - 1)];
    case 1: return kSetKeys[in.ConsumeIntegralInRange<size_t>(0, std::size(kSetKeys) - 1)];
    case 2: return paths.empty() ? std::u16string() : paths[in.ConsumeIntegralInRange<size_t>(0, paths.size() - 1)];
    default: return Text(in);
  }
}

void CheckSettings(const Settings& s) {
  for (const auto& [key, f] : s.frames)
    if (!std::isfinite(f.x) || !std::isfinite(f.y) || !std::isfinite(f.zoom)) Fail("frame not finite", key);
  if (s.fps < 5 || s.fps > 240 || s.idle < 0 || s.idle > 2 || s.idleMin < 1 || s.idleMin > 120)
    Fail("setting out of range", u"");
}

void CheckPosted(RecordingHost& host) {
  PageJson page;
  for (const std::u16string& message : host.posted) {
    std::string error;
    if (!page.Parse(message, &error)) Fail(error.c_str(), message);
    if (!page.Doc().is_object() || !page.Doc().contains("t")) Fail("no type", message);
  }
  host.posted.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  RecordingHost host;
  host.recording = false;
  host.exeDir = u"E";
  MemoryProbe probe;
  std::vector<std::u16string> paths;

  const size_t files = in.ConsumeIntegralInRange<size_t>(0, 8);
  for (size_t i = 0; i < files; ++i) {
    const std::u16string folder = in.ConsumeBool() ? u"E\\wallpapers\\" : in.ConsumeBool() ? u"E\\wallpapers\\thumbs\\" : u"U\\";
    const std::u16string path = folder + Text(in, 12);
    probe.entries[path] = in.ConsumeBool() ? kAttributeDirectory : kAttributeNormal;
    paths.push_back(path);
  }
  probe.entries[u"E\\wallpapers"] = kAttributeDirectory;

  Settings& s = host.settings;
  s.gpuEffects = in.ConsumeBool();
  s.fit = in.ConsumeBool();
  s.mode = in.ConsumeBool() ? u"span" : u"screens";
  s.span = Field(in, paths);
  s.fps = in.ConsumeIntegralInRange<int32_t>(5, 240);
  const size_t users = in.ConsumeIntegralInRange<size_t>(0, 4);
  for (size_t i = 0; i < users; ++i) s.userList.push_back(Field(in, paths));

  const size_t screens = in.ConsumeIntegralInRange<size_t>(0, 5);
  for (size_t i = 0; i < screens; ++i) {
    const Rect bounds{in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(), in.ConsumeIntegral<int32_t>(),
                      in.ConsumeIntegral<int32_t>()};
    Screen& screen = host.AddScreen(in.ConsumeBool() ? u"span" : Text(in, 6), bounds, in.ConsumeBool());
    screen.spanning = screen.key == u"span";
    screen.primary = in.ConsumeBool();
    screen.covered = in.ConsumeBool();
    screen.paused = in.ConsumeBool();
    screen.friendlyName = Text(in);
    if (in.ConsumeBool()) s.assignments[screen.key] = Field(in, paths);
    if (in.ConsumeBool()) s.frames[screen.key] = {in.ConsumeFloatingPointInRange<float>(-1e30f, 1e30f), 0.5f, 1.0f};
  }
  host.canApplyInPlace = in.ConsumeBool();
  host.viewExists = in.ConsumeBool() || in.ConsumeBool();
  host.tourRequested = in.ConsumeBool();
  host.pauseReason = Text(in);
  host.usage = {in.ConsumeFloatingPoint<double>(), in.ConsumeIntegral<uint64_t>()};

  LibraryBridge bridge(host, probe);
  while (in.remaining_bytes() > 0) {
    std::u16string message = kNames[in.ConsumeIntegralInRange<size_t>(0, std::size(kNames) - 1)];
    const size_t fields = in.ConsumeIntegralInRange<size_t>(0, 4);
    for (size_t i = 0; i < fields; ++i) message += char16_t(0x1F) + Field(in, paths);
    if (in.ConsumeBool()) message = Text(in, 40);
    const size_t dropped = in.ConsumeIntegralInRange<size_t>(0, 3);
    std::vector<std::u16string> drop;
    for (size_t i = 0; i < dropped; ++i) drop.push_back(Field(in, paths));
    bridge.HandleLibraryCommand(message, [&] { return drop; });
    CheckSettings(s);
    CheckPosted(host);
  }
  bridge.SendState();
  bridge.PostBakeMessage(in.ConsumeIntegral<int32_t>(), 3, 100, Field(in, paths));
  host.posted.push_back(BuildStateMessage(bridge.TakeSnapshot()));
  host.posted.push_back(BuildAddedMessage(s.userList));
  CheckPosted(host);
  return 0;
}
