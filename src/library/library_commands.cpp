#include "library/library_bridge.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

#include "bake/bake_effect.h"
#include "base/paths.h"
#include "desktop/rotation.h"

namespace {

constexpr char16_t kSeparator = 0x001F;

std::u16string_view Field(const std::vector<std::u16string_view>& fields, size_t index) {
  return index < fields.size() ? fields[index] : std::u16string_view();
}

bool FlagField(std::u16string_view text) { return text == u"1"; }

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

bool StartsWithWord(std::u16string_view text, size_t i, std::u16string_view word) {
  if (text.size() - i < word.size()) return false;
  for (size_t k = 0; k < word.size(); ++k)
    if (AsciiLower(text[i + k]) != word[k]) return false;
  return true;
}

size_t SkipDigits(std::u16string_view text, size_t i) {
  while (i < text.size() && IsDigit(text[i])) ++i;
  return i;
}

}  // namespace

std::vector<std::u16string_view> SplitCommand(std::u16string_view text) {
  std::vector<std::u16string_view> fields;
  size_t start = 0;
  for (size_t i = 0; i <= text.size(); ++i) {
    if (i == text.size() || text[i] == kSeparator) {
      fields.push_back(text.substr(start, i - start));
      start = i + 1;
    }
  }
  return fields;
}

double ParseLeadingDouble(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  const size_t start = i;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
  // The runtime reads these words as numbers too; they come back as what they
  // are, so that callers can refuse them rather than take them for 0.
  const bool negative = i > start && text[start] == u'-';
  if (StartsWithWord(text, i, u"inf"))
    return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
  if (StartsWithWord(text, i, u"nan")) return std::numeric_limits<double>::quiet_NaN();
  const size_t intEnd = SkipDigits(text, i);
  size_t end = intEnd;
  bool digits = intEnd > i;
  if (end < text.size() && text[end] == u'.') {
    const size_t fracEnd = SkipDigits(text, end + 1);
    digits = digits || fracEnd > end + 1;
    end = fracEnd;
  }
  if (!digits) return 0.0;
  if (end < text.size() && (text[end] == u'e' || text[end] == u'E')) {
    size_t e = end + 1;
    if (e < text.size() && (text[e] == u'+' || text[e] == u'-')) ++e;
    const size_t expEnd = SkipDigits(text, e);
    if (expEnd > e) end = expEnd;
  }
  // Only the decimal grammar above reaches strtod, so hex never parses; an
  // exponent too large still overflows to infinity.
  const std::string ascii(text.begin() + static_cast<std::ptrdiff_t>(start),
                          text.begin() + static_cast<std::ptrdiff_t>(end));
  return std::strtod(ascii.c_str(), nullptr);
}

const LibraryBridge::Command LibraryBridge::kCommands[] = {
    {u"ready", &LibraryBridge::Ready},
    {u"apply", &LibraryBridge::Apply},
    {u"clear", &LibraryBridge::Clear},
    {u"span", &LibraryBridge::Span},
    {u"mode", &LibraryBridge::Mode},
    {u"add", &LibraryBridge::Add},
    {u"addfolder", &LibraryBridge::AddFolder},
    {u"remove", &LibraryBridge::Remove},
    {u"pause", &LibraryBridge::Pause},
    {u"identify", &LibraryBridge::Identify},
    {u"previews", &LibraryBridge::Previews},
    {u"bake", &LibraryBridge::Bake},
    {u"bakecancel", &LibraryBridge::BakeCancel},
    {u"saver", &LibraryBridge::Saver},
    {u"frame", &LibraryBridge::SetFrame},
    {u"set", &LibraryBridge::Set},
    {u"drop", &LibraryBridge::Drop},
    {u"rotation", &LibraryBridge::SetRotation},
    {u"next", &LibraryBridge::Next},
    {u"rules", &LibraryBridge::SetRules},
};

void LibraryBridge::HandleLibraryCommand(std::u16string_view text, const DroppedFiles& dropped) {
  const Fields fields = SplitCommand(text);
  for (const Command& command : kCommands) {
    if (command.name == fields[0]) {
      (this->*command.run)(fields, dropped);
      return;
    }
  }
}

std::vector<Screen*> LibraryBridge::PageScreens() {
  std::vector<Screen*> screens;
  for (const auto& screen : host_.Screens())
    if (!screen->spanning) screens.push_back(screen.get());
  return screens;
}

void LibraryBridge::ApplyToScreens(int32_t index, const std::u16string& path) {
  Settings& settings = host_.CurrentSettings();
  host_.ClearRenderingStopped();
  const bool wasSpan = settings.mode == u"span";
  settings.mode = u"screens";
  std::vector<Screen*> chosen;
  const std::vector<Screen*> screens = PageScreens();
  for (size_t i = 0; i < screens.size(); ++i) {
    if (index >= 0 && static_cast<size_t>(index) != i) continue;
    chosen.push_back(screens[i]);
    if (path.empty())
      settings.assignments.erase(screens[i]->key);
    else
      settings.assignments[screens[i]->key] = path;
  }
  host_.SaveSettings();
  if (wasSpan || !host_.CanApplyScreensInPlace()) {
    host_.RebuildScreens();
    return;
  }
  for (Screen* screen : chosen) {
    const bool hadWindow = screen->window != nullptr;
    host_.ApplyScreen(*screen);
    // The shell does not repaint on its own where a surface window vanished.
    if (hadWindow && !screen->window) host_.RefreshSystemWallpaper();
  }
  host_.DecidePause();
  SendState();
}

void LibraryBridge::ApplySpan(const std::u16string& path) {
  Settings& settings = host_.CurrentSettings();
  host_.ClearRenderingStopped();
  settings.mode = u"span";
  settings.span = path;
  host_.SaveSettings();
  host_.RebuildScreens();
}

void LibraryBridge::Ready(const Fields&, const DroppedFiles&) {
  SendState();
  if (host_.TourRequested()) PostAfterScan(BuildTourMessage());
}

void LibraryBridge::Apply(const Fields& f, const DroppedFiles&) {
  const int32_t index = Field(f, 1) == u"all" ? -1 : ParseLeadingInt(Field(f, 1));
  ApplyToScreens(index, std::u16string(Field(f, 2)));
}

void LibraryBridge::Clear(const Fields& f, const DroppedFiles&) { ApplyToScreens(ParseLeadingInt(Field(f, 1)), {}); }

void LibraryBridge::Span(const Fields& f, const DroppedFiles&) { ApplySpan(std::u16string(Field(f, 1))); }

void LibraryBridge::Mode(const Fields& f, const DroppedFiles&) {
  Settings& settings = host_.CurrentSettings();
  if (Field(f, 1) == u"span") {
    if (!settings.span.empty()) ApplySpan(std::u16string(settings.span));
    return;
  }
  if (settings.mode == u"screens") return;
  settings.mode = u"screens";
  host_.SaveSettings();
  host_.RebuildScreens();
}

void LibraryBridge::Add(const Fields&, const DroppedFiles&) { host_.PostLibraryPick(0); }

void LibraryBridge::AddFolder(const Fields&, const DroppedFiles&) { host_.PostLibraryPick(1); }

void LibraryBridge::Remove(const Fields& f, const DroppedFiles&) {
  auto& list = host_.CurrentSettings().userList;
  const std::u16string_view path = Field(f, 1);
  list.erase(std::remove(list.begin(), list.end(), path), list.end());
  host_.SaveSettings();
  ScanLibrary();
  SendState();
}

void LibraryBridge::Pause(const Fields&, const DroppedFiles&) {
  host_.SetUserPaused(!host_.UserPaused());
  host_.DecidePause();
  SendState();
}

void LibraryBridge::Identify(const Fields&, const DroppedFiles&) { host_.ShowMonitorBadges(); }

void LibraryBridge::Previews(const Fields& f, const DroppedFiles&) {
  host_.StartBakeJob(std::u16string(Field(f, 1)), -1);
}

void LibraryBridge::Bake(const Fields& f, const DroppedFiles&) {
  const int32_t preset = ParseLeadingInt(Field(f, 2));
  if (preset < 0 || preset >= kPresetCount) return;
  host_.StartBakeJob(std::u16string(Field(f, 1)), preset);
}

void LibraryBridge::BakeCancel(const Fields&, const DroppedFiles&) { host_.RequestBakeCancel(); }

void LibraryBridge::Saver(const Fields&, const DroppedFiles&) { host_.StartScreensaver(true); }

void LibraryBridge::SetFrame(const Fields& f, const DroppedFiles&) {
  std::u16string key;
  if (Field(f, 1) == u"span") {
    key = u"span";
  } else {
    const int32_t index = ParseLeadingInt(Field(f, 1));
    const std::vector<Screen*> screens = PageScreens();
    if (index < 0 || static_cast<size_t>(index) >= screens.size()) return;
    key = screens[static_cast<size_t>(index)]->key;
  }
  FrameMap& frames = host_.CurrentSettings().frames;
  if (Field(f, 2).empty()) {
    frames.erase(key);
  } else {
    const Frame frame{static_cast<float>(ParseLeadingDouble(Field(f, 2))),
                      static_cast<float>(ParseLeadingDouble(Field(f, 3))),
                      static_cast<float>(ParseLeadingDouble(Field(f, 4)))};
    // A frame that is not finite would black out the screen and be saved.
    if (!std::isfinite(frame.x) || !std::isfinite(frame.y) || !std::isfinite(frame.zoom)) return;
    frames[key] = frame;
  }
  for (const auto& screen : host_.Screens()) {
    if (screen->renderer && screen->renderer->screenKey == key) screen->renderer->Refresh();
  }
  host_.ArmSaveSettingsTimer();
}

void LibraryBridge::Set(const Fields& f, const DroppedFiles&) {
  Settings& s = host_.CurrentSettings();
  const std::u16string_view key = Field(f, 1);
  const std::u16string_view value = Field(f, 2);
  if (key == u"pfs") {
    s.pauseFullscreen = FlagField(value);
  } else if (key == u"pcov") {
    s.pauseCovered = FlagField(value);
  } else if (key == u"pbat") {
    s.pauseBattery = FlagField(value);
  } else if (key == u"start") {
    host_.SetStartWithWindows(FlagField(value));
  } else if (key == u"idle") {
    s.idle = Clamp(ParseLeadingInt(value), kIdleRange);
    host_.ClearAway();
  } else if (key == u"idlemin") {
    s.idleMin = Clamp(ParseLeadingInt(value), kIdleMinRange);
  } else if (key == u"stop") {
    s.stopWhenPaused = FlagField(value);
  } else if (key == u"fps") {
    s.fps = Clamp(ParseLeadingInt(value), kPageFpsRange);
    host_.UpdateFrameTimer();
  } else if (key == u"fit") {
    s.fit = FlagField(value);
    // Fit changes the placement of every surface, so they are all rebuilt
    // with the new value already on disk.
    host_.SaveSettings();
    host_.RebuildScreens();
  }
  host_.SaveSettings();
  host_.DecidePause();
  SendState();
}

void LibraryBridge::Drop(const Fields&, const DroppedFiles& dropped) {
  AddUserWallpapers(dropped ? dropped() : std::vector<std::u16string>());
}

// rotation, screen index or "span", minutes, "listed" or "shuffled", then the
// paths in order; no paths ends the rotation and keeps the wallpaper showing.
void LibraryBridge::SetRotation(const Fields& f, const DroppedFiles&) {
  Settings& settings = host_.CurrentSettings();
  const bool span = Field(f, 1) == u"span";
  std::u16string key = u"span";
  int32_t index = -1;
  if (!span) {
    index = ParseLeadingInt(Field(f, 1));
    const std::vector<Screen*> screens = PageScreens();
    if (Field(f, 1).empty() || index < 0 || static_cast<size_t>(index) >= screens.size()) return;
    key = screens[static_cast<size_t>(index)]->key;
  }
  Rotation rotation;
  rotation.minutes = Clamp(ParseLeadingInt(Field(f, 2)), kRotationMinutesRange);
  rotation.shuffled = Field(f, 3) == u"shuffled";
  for (size_t i = 4; i < f.size() && rotation.items.size() < kMaxRotationItems; ++i)
    if (!f[i].empty() && f[i].find_first_of(u"\r\n") == std::u16string_view::npos) rotation.items.emplace_back(f[i]);
  if (rotation.items.empty()) {
    settings.rotations.erase(key);
    host_.SaveSettings();
    host_.UpdateRotations(false);
    SendState();
    return;
  }
  const auto assigned = settings.assignments.find(key);
  const std::u16string showing = span ? settings.span
                                      : assigned == settings.assignments.end() ? std::u16string() : assigned->second;
  StartRotation(rotation, showing, host_.UnixNow(), [this](uint32_t bound) { return host_.RandomBelow(bound); });
  const std::u16string first = CurrentRotationItem(rotation);
  settings.rotations[key] = std::move(rotation);
  const bool spanMode = settings.mode == u"span";
  if (first != showing && span == spanMode) {
    if (span)
      ApplySpan(first);
    else
      ApplyToScreens(index, first);
  } else {
    // The other mode's wallpaper changes only on paper until that mode is on.
    (span ? settings.span : settings.assignments[key]) = first;
    host_.SaveSettings();
    SendState();
  }
  host_.UpdateRotations(false);
}

void LibraryBridge::Next(const Fields&, const DroppedFiles&) { host_.UpdateRotations(true); }

// rules, then pairs of action and program file name; the list is replaced.
void LibraryBridge::SetRules(const Fields& f, const DroppedFiles&) {
  std::vector<ProgramRule> rules;
  for (size_t i = 1; i + 1 < f.size(); i += 2) {
    RuleAction action;
    if (ParseRuleAction(f[i], action)) AddProgramRule(rules, f[i + 1], action);
  }
  host_.CurrentSettings().rules = std::move(rules);
  host_.SaveSettings();
  host_.DecidePause();
  SendState();
}
