#include "base/settings.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <limits>

#include "base/text.h"

namespace {

struct BoolKey {
  std::u16string_view name;
  bool Settings::*field;
};
struct IntKey {
  std::u16string_view name;
  int32_t Settings::*field;
  IntRange range;
};

constexpr BoolKey kBoolKeys[] = {
    {u"pauseFullscreen", &Settings::pauseFullscreen},
    {u"pauseCovered", &Settings::pauseCovered},
    {u"pauseBattery", &Settings::pauseBattery},
    {u"gpuEffects", &Settings::gpuEffects},
    {u"fit", &Settings::fit},
};
constexpr IntKey kIntKeys[] = {
    {u"fps", &Settings::fps, kFpsRange},
    {u"shaderScale", &Settings::shaderScale, kShaderScaleRange},
    {u"idle", &Settings::idle, kIdleRange},
    {u"idleMin", &Settings::idleMin, kIdleMinRange},
};

constexpr std::u16string_view kFramePrefix = u"frame:";
constexpr std::u16string_view kScreenPrefix = u"screen:";
constexpr std::u16string_view kRotationPrefix = u"rotation:";
constexpr std::u16string_view kRotationItemPrefix = u"rotitem:";

constexpr std::u16string_view kRuleActionNames[] = {u"running", u"foreground", u"notfullscreen"};

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

// Reads one "%f" conversion at text[pos]: blanks are skipped, then the longest
// prefix that parses as a number. The C runtime does the number itself, on an
// ASCII copy (anything else cannot be part of a number).
bool ScanFloat(std::u16string_view text, size_t& pos, float& out) {
  while (pos < text.size() && IsBlank(text[pos])) ++pos;
  std::string ascii;
  for (size_t i = pos; i < text.size() && text[i] < 0x80 && text[i] != u','; ++i)
    ascii += static_cast<char>(text[i]);
  char* end = nullptr;
  out = std::strtof(ascii.c_str(), &end);
  if (end == ascii.c_str()) return false;
  pos += static_cast<size_t>(end - ascii.c_str());
  return true;
}

std::u16string_view NextField(std::u16string_view& rest, char16_t separator) {
  const size_t at = rest.find(separator);
  const std::u16string_view field = rest.substr(0, at);
  rest.remove_prefix(at == std::u16string_view::npos ? rest.size() : at + 1);
  return field;
}

int64_t ParseLeadingInt64(std::u16string_view text) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t value = 0;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    if (value > (std::numeric_limits<int64_t>::max() - 9) / 10) break;
    value = value * 10 + (text[i] - u'0');
  }
  return negative ? -value : value;
}

// "<minutes>,<listed|shuffled>,<position>,<due>,<pausedAt>,<round indexes separated by blanks>"
void ParseRotation(std::u16string_view value, Rotation& r) {
  r.minutes = ParseLeadingInt(NextField(value, u','));
  r.shuffled = NextField(value, u',') == u"shuffled";
  r.position = ParseLeadingInt(NextField(value, u','));
  r.due = ParseLeadingInt64(NextField(value, u','));
  r.pausedAt = ParseLeadingInt64(NextField(value, u','));
  r.round.clear();
  while (!value.empty() && r.round.size() <= kMaxRotationItems) {
    const std::u16string_view index = NextField(value, u' ');
    if (!index.empty()) r.round.push_back(ParseLeadingInt(index));
  }
}

std::u16string FormatRotation(const Rotation& r) {
  std::string text = std::to_string(r.minutes) + (r.shuffled ? ",shuffled," : ",listed,") +
                     std::to_string(r.position) + ',' + std::to_string(r.due) + ',' + std::to_string(r.pausedAt) + ',';
  for (size_t i = 0; i < r.round.size(); ++i) {
    if (i > 0) text += ' ';
    text += std::to_string(r.round[i]);
  }
  return AsciiToUtf16(text);
}

// Rotations of the file come in two kinds of lines, so they are made safe only
// once all of them are read.
void NormalizeRotations(RotationMap& rotations) {
  size_t kept = 0;
  for (auto it = rotations.begin(); it != rotations.end();) {
    NormalizeRotation(it->second);
    const bool keep = !it->second.items.empty() && kept < kMaxRotations;
    kept += keep;
    it = keep ? std::next(it) : rotations.erase(it);
  }
}

void ApplyLine(std::u16string_view key, std::u16string_view value, Settings& s) {
  for (const BoolKey& k : kBoolKeys) {
    if (key == k.name) {
      s.*k.field = value == u"1";
      return;
    }
  }
  for (const IntKey& k : kIntKeys) {
    if (key == k.name) {
      s.*k.field = Clamp(ParseLeadingInt(value), k.range);
      return;
    }
  }
  if (key == u"mode") {
    s.mode = value == u"span" ? u"span" : u"screens";
  } else if (key == u"span") {
    s.span = value;
  } else if (key.starts_with(kFramePrefix)) {
    Frame frame;
    if (ParseFrame(value, frame)) s.frames[std::u16string(key.substr(kFramePrefix.size()))] = frame;
  } else if (key == u"lib") {
    s.userList.emplace_back(value);
  } else if (key.starts_with(kScreenPrefix)) {
    s.assignments[std::u16string(key.substr(kScreenPrefix.size()))] = value;
  } else if (key == u"pauseAction") {
    s.stopWhenPaused = value == u"stop";
  } else if (key.starts_with(kRotationPrefix)) {
    ParseRotation(value, s.rotations[std::u16string(key.substr(kRotationPrefix.size()))]);
  } else if (key.starts_with(kRotationItemPrefix)) {
    auto& items = s.rotations[std::u16string(key.substr(kRotationItemPrefix.size()))].items;
    if (items.size() < kMaxRotationItems && !value.empty()) items.emplace_back(value);
  } else if (key == u"rule") {
    RuleAction action;
    if (ParseRuleAction(NextField(value, u','), action)) AddProgramRule(s.rules, value, action);
  }
}

void AppendLine(std::u16string& text, std::u16string_view key, std::u16string_view value) {
  text += key;
  text += u'=';
  text += value;
  text += u"\r\n";
}

std::u16string Decimal(int32_t value) { return AsciiToUtf16(std::to_string(value)); }
std::u16string Flag(bool value) { return value ? u"1" : u"0"; }

std::u16string FormatFrame(const Frame& f) {
  char buffer[128];
  std::snprintf(buffer, sizeof buffer, "%.4f,%.4f,%.3f", f.x, f.y, f.zoom);
  return AsciiToUtf16(buffer);
}

}  // namespace

int32_t Clamp(int32_t value, IntRange range) {
  return value < range.min ? range.min : value > range.max ? range.max : value;
}

int32_t ParseLeadingInt(std::u16string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  int64_t magnitude = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
    magnitude = magnitude * 10 + (text[i] - u'0');
    if (magnitude > kLimit) magnitude = kLimit;
  }
  if (negative) return static_cast<int32_t>(-magnitude);
  return magnitude >= kLimit ? std::numeric_limits<int32_t>::max() : static_cast<int32_t>(magnitude);
}

bool ParseFrame(std::u16string_view text, Frame& frame) {
  float numbers[3];
  size_t pos = 0;
  for (int n = 0; n < 3; ++n) {
    if (n > 0 && (pos >= text.size() || text[pos++] != u',')) return false;
    if (!ScanFloat(text, pos, numbers[n]) || !std::isfinite(numbers[n])) return false;
  }
  frame = {numbers[0], numbers[1], numbers[2]};
  return true;
}

void NormalizeRotation(Rotation& r) {
  if (r.items.size() > kMaxRotationItems) r.items.resize(kMaxRotationItems);
  r.minutes = Clamp(r.minutes, kRotationMinutesRange);
  const size_t n = r.items.size();
  std::vector<bool> seen(n, false);
  bool fits = r.round.size() == n;
  for (size_t i = 0; fits && i < n; ++i) {
    const int32_t index = r.round[i];
    fits = index >= 0 && static_cast<size_t>(index) < n && !seen[static_cast<size_t>(index)];
    if (fits) seen[static_cast<size_t>(index)] = true;
  }
  if (!fits) {
    r.round.resize(n);
    for (size_t i = 0; i < n; ++i) r.round[i] = static_cast<int32_t>(i);
  }
  r.position = n == 0 ? 0 : Clamp(r.position, {0, static_cast<int32_t>(n) - 1});
  if (r.due < 0) r.due = 0;
  if (r.pausedAt < 0) r.pausedAt = 0;
}

std::u16string_view RuleActionName(RuleAction action) { return kRuleActionNames[static_cast<size_t>(action)]; }

bool ParseRuleAction(std::u16string_view name, RuleAction& action) {
  for (size_t i = 0; i < std::size(kRuleActionNames); ++i) {
    if (name == kRuleActionNames[i]) {
      action = static_cast<RuleAction>(i);
      return true;
    }
  }
  return false;
}

bool AddProgramRule(std::vector<ProgramRule>& rules, std::u16string_view program, RuleAction action) {
  if (program.empty() || program.size() > kMaxRuleNameLength || rules.size() >= kMaxRules) return false;
  // A name that does not survive the file's line format would come back different.
  if (program.find_first_of(u"\r\n") != std::u16string_view::npos) return false;
  rules.push_back({std::u16string(program), action});
  return true;
}

void ParseSettings(std::string_view bytes, Settings& settings) {
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  while (!bytes.empty()) {
    const size_t lf = bytes.find('\n');
    std::string_view line = bytes.substr(0, lf);
    bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) continue;
    ApplyLine(Utf8ToUtf16(line.substr(0, eq)), Utf8ToUtf16(line.substr(eq + 1)), settings);
  }
  NormalizeRotations(settings.rotations);
}

std::string FormatSettings(const Settings& s) {
  std::u16string text;
  AppendLine(text, u"pauseFullscreen", Flag(s.pauseFullscreen));
  AppendLine(text, u"pauseCovered", Flag(s.pauseCovered));
  AppendLine(text, u"pauseBattery", Flag(s.pauseBattery));
  AppendLine(text, u"fps", Decimal(s.fps));
  AppendLine(text, u"shaderScale", Decimal(s.shaderScale));
  AppendLine(text, u"gpuEffects", Flag(s.gpuEffects));
  AppendLine(text, u"fit", Flag(s.fit));
  AppendLine(text, u"mode", s.mode == u"span" ? u"span" : u"screens");
  if (!s.span.empty()) AppendLine(text, u"span", s.span);
  AppendLine(text, u"idle", Decimal(s.idle));
  AppendLine(text, u"idleMin", Decimal(s.idleMin));
  for (const auto& [name, frame] : s.frames)
    AppendLine(text, std::u16string(kFramePrefix) + name, FormatFrame(frame));
  for (const std::u16string& path : s.userList) AppendLine(text, u"lib", path);
  for (const auto& [name, path] : s.assignments)
    AppendLine(text, std::u16string(kScreenPrefix) + name, path);
  if (s.stopWhenPaused) AppendLine(text, u"pauseAction", u"stop");
  for (const auto& [name, rotation] : s.rotations) {
    AppendLine(text, std::u16string(kRotationPrefix) + name, FormatRotation(rotation));
    for (const std::u16string& path : rotation.items)
      AppendLine(text, std::u16string(kRotationItemPrefix) + name, path);
  }
  for (const ProgramRule& rule : s.rules)
    AppendLine(text, u"rule", std::u16string(RuleActionName(rule.action)) + u',' + rule.program);
  return Utf16ToUtf8(text);
}
