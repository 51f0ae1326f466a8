#include "library/state_message.h"

#include <algorithm>

#include "base/text.h"
#include "desktop/rotation.h"

#include <charconv>
#include <cmath>

namespace {

constexpr char16_t kHexDigits[] = u"0123456789abcdef";

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUnicodeEscape(std::u16string& out, char16_t c) {
  out += u"\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
}

void AppendAscii(std::u16string& out, std::string_view ascii) { out.append(ascii.begin(), ascii.end()); }

void AppendInt(std::u16string& out, int64_t value) {
  char buffer[24];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  AppendAscii(out, std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

// printf's "%.Nf": to_chars gives the same correctly rounded digits without
// depending on the C locale. A non-finite figure would make the whole message
// unreadable, so it is written as 0.
void AppendFixed(std::u16string& out, double value, int decimals) {
  if (!std::isfinite(value)) value = 0.0;
  char buffer[400];
  const auto end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals).ptr;
  AppendAscii(out, std::string_view(buffer, static_cast<size_t>(end - buffer)));
}

void AppendBool(std::u16string& out, bool value) { out += value ? u"true" : u"false"; }

void AppendFrame(std::u16string& out, const Settings& settings, const std::u16string& key) {
  const auto found = settings.frames.find(key);
  if (found == settings.frames.end()) {
    out += u"null";
    return;
  }
  const Frame& f = found->second;
  out += u'[';
  AppendFixed(out, f.x, 4);
  out += u',';
  AppendFixed(out, f.y, 4);
  out += u',';
  AppendFixed(out, f.zoom, 3);
  out += u']';
}

bool Playing(const Screen& screen) { return screen.renderer && !screen.paused; }

void AppendScreen(std::u16string& out, const Screen& s, const Settings& settings) {
  out += u"{\"x\":";
  AppendInt(out, s.bounds.left);
  out += u",\"y\":";
  AppendInt(out, s.bounds.top);
  out += u",\"w\":";
  AppendInt(out, int64_t{s.bounds.right} - s.bounds.left);
  out += u",\"h\":";
  AppendInt(out, int64_t{s.bounds.bottom} - s.bounds.top);
  out += u",\"main\":";
  AppendBool(out, s.primary);
  out += u",\"playing\":";
  AppendBool(out, Playing(s));
  out += u",\"covered\":";
  AppendBool(out, s.covered);
  out += u",\"path\":";
  const auto assigned = settings.assignments.find(s.key);
  AppendJsonQuoted(out, assigned == settings.assignments.end() ? std::u16string_view() : assigned->second);
  out += u",\"name\":";
  AppendJsonQuoted(out, s.friendlyName);
  out += u",\"frame\":";
  AppendFrame(out, settings, s.key);
  out += u'}';
}

void AppendItem(std::u16string& out, const StateItem& entry) {
  const LibraryItem& item = *entry.item;
  out += u"{\"name\":";
  AppendJsonQuoted(out, item.name);
  out += u",\"path\":";
  AppendJsonQuoted(out, item.path);
  out += u",\"kind\":";
  AppendJsonQuoted(out, MediaKindText(item.kind));
  out += u",\"mine\":";
  AppendBool(out, !item.builtIn);
  out += u",\"ok\":";
  AppendBool(out, entry.ok);
  out += u",\"thumb\":";
  AppendJsonQuoted(out, entry.thumb);
  out += u",\"url\":";
  AppendJsonQuoted(out, entry.url);
  out += u'}';
}

void AppendSettingsAndStats(std::u16string& out, const StateSnapshot& snap) {
  const Settings& s = *snap.settings;
  out += u"],\"set\":{\"pfs\":";
  AppendBool(out, s.pauseFullscreen);
  out += u",\"pcov\":";
  AppendBool(out, s.pauseCovered);
  out += u",\"pbat\":";
  AppendBool(out, s.pauseBattery);
  out += u",\"start\":";
  AppendBool(out, snap.startWithWindows);
  out += u",\"fps\":";
  AppendInt(out, s.fps);
  out += u",\"fit\":";
  AppendBool(out, s.fit);
  out += u",\"idle\":";
  AppendInt(out, s.idle);
  out += u",\"idleMin\":";
  AppendInt(out, s.idleMin);
  out += u"},\"stats\":{\"cpu\":";
  AppendFixed(out, snap.cpuPercent, 1);
  out += u",\"ram\":";
  AppendFixed(out, static_cast<double>(snap.privateBytes) * 9.5367431640625e-7, 0);
  out += u",\"userPaused\":";
  AppendBool(out, snap.userPaused);
  out += u",\"reason\":";
  AppendJsonQuoted(out, snap.pauseReason);
  out += u'}';
}

void AppendRotation(std::u16string& out, std::u16string_view name, const Rotation& r, bool& first) {
  out += first ? u"" : u",";
  first = false;
  AppendJsonQuoted(out, name);
  out += u":{\"min\":";
  AppendInt(out, r.minutes);
  out += u",\"order\":";
  out += r.shuffled ? u"\"shuffled\"" : u"\"listed\"";
  out += u",\"showing\":";
  const std::u16string current = CurrentRotationItem(r);
  AppendInt(out, std::find(r.items.begin(), r.items.end(), current) - r.items.begin());
  out += u",\"due\":";
  AppendInt(out, r.pausedAt == 0 ? r.due : 0);
  out += u",\"items\":[";
  for (size_t i = 0; i < r.items.size(); ++i) {
    if (i > 0) out += u',';
    AppendJsonQuoted(out, r.items[i]);
  }
  out += u"]}";
}

// Only present when set, so the messages of a program without them stay as
// they were: "rot" keyed by the page's screen index or "span", "rules", "stop".
void AppendRotationsAndRules(std::u16string& out, const StateSnapshot& snap) {
  const Settings& s = *snap.settings;
  bool first = true;
  int32_t index = 0;
  for (const auto& screen : *snap.screens) {
    const std::u16string key = screen->spanning ? u"span" : screen->key;
    const auto found = s.rotations.find(key);
    if (found != s.rotations.end()) {
      if (first) out += u",\"rot\":{";
      AppendRotation(out, screen->spanning ? u"span" : AsciiToUtf16(std::to_string(index)), found->second, first);
    }
    if (!screen->spanning) ++index;
  }
  if (!first) out += u'}';
  if (!s.rules.empty()) {
    out += u",\"rules\":[";
    for (size_t i = 0; i < s.rules.size(); ++i) {
      out += i > 0 ? u",{\"a\":" : u"{\"a\":";
      AppendJsonQuoted(out, RuleActionName(s.rules[i].action));
      out += u",\"p\":";
      AppendJsonQuoted(out, s.rules[i].program);
      out += u'}';
    }
    out += u']';
  }
  if (s.stopWhenPaused) out += u",\"stop\":true";
}

}  // namespace

void AppendJsonQuoted(std::u16string& out, std::u16string_view text) {
  out += u'"';
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c < 0x20) {
      AppendUnicodeEscape(out, c);
    } else if (IsHighSurrogate(c) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      out += c;
      out += text[++i];
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendUnicodeEscape(out, c);
    } else {
      out += c;
    }
  }
  out += u'"';
}

std::u16string JsonQuote(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size() + 2);
  AppendJsonQuoted(out, text);
  return out;
}

std::u16string BuildStateMessage(const StateSnapshot& snap) {
  const Settings& settings = *snap.settings;
  std::u16string out;
  out.reserve(512 + snap.items.size() * 320);
  out += u"{\"t\":\"state\",\"mode\":";
  AppendJsonQuoted(out, settings.mode);
  out += u",\"span\":";
  AppendJsonQuoted(out, settings.span);
  bool spanPlaying = false;
  for (const auto& screen : *snap.screens)
    if (screen->spanning) spanPlaying = Playing(*screen);
  out += u",\"spanPlaying\":";
  AppendBool(out, spanPlaying);
  out += u",\"spanFrame\":";
  AppendFrame(out, settings, u"span");
  out += u",\"screens\":[";
  bool first = true;
  for (const auto& screen : *snap.screens) {
    if (screen->spanning) continue;
    if (!first) out += u',';
    first = false;
    AppendScreen(out, *screen, settings);
  }
  out += u"],\"items\":[";
  for (size_t i = 0; i < snap.items.size(); ++i) {
    if (i > 0) out += u',';
    AppendItem(out, snap.items[i]);
  }
  AppendSettingsAndStats(out, snap);
  AppendRotationsAndRules(out, snap);
  out += u'}';
  return out;
}

std::u16string BuildAddedMessage(const std::vector<std::u16string>& paths) {
  std::u16string out = u"{\"t\":\"added\",\"paths\":[";
  for (size_t i = 0; i < paths.size(); ++i) {
    if (i > 0) out += u',';
    AppendJsonQuoted(out, paths[i]);
  }
  out += u"]}";
  return out;
}

std::u16string BuildTourMessage() { return u"{\"t\":\"tour\"}"; }

std::u16string BuildBakeMessage(int32_t kind, int32_t preset, int32_t pct, std::u16string_view path,
                                std::u16string_view url) {
  std::u16string out = u"{\"t\":\"bake\",\"kind\":";
  AppendInt(out, kind);
  out += u",\"preset\":";
  AppendInt(out, preset);
  out += u",\"pct\":";
  AppendInt(out, pct);
  out += u",\"path\":";
  AppendJsonQuoted(out, path);
  out += u",\"url\":";
  AppendJsonQuoted(out, url);
  out += u'}';
  return out;
}
