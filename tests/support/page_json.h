#pragma once
// Reads a message the way the library page does, strictly: the text must be
// well-formed UTF-16 (a raw lone surrogate fails, as it fails in a browser's
// strict reader) and well-formed JSON. JSON itself allows a lone surrogate as
// a "\uXXXX" escape, and the page's JSON.parse keeps that code unit; nlohmann
// refuses such escapes, so they are handed to it as a marker and the unit's
// hex digits, which Text() turns back.
#include <nlohmann/json.hpp>

#include <string>

#include "base/text.h"

class PageJson {
 public:
  // False, with a reason, when a strict reader would refuse the message.
  bool Parse(const std::u16string& message, std::string* error = nullptr) {
    for (size_t i = 0; i < message.size(); ++i) {
      if (IsHigh(message[i]) && i + 1 < message.size() && IsLow(message[i + 1])) {
        ++i;
      } else if (IsHigh(message[i]) || IsLow(message[i])) {
        if (error) *error = "raw lone surrogate at unit " + std::to_string(i);
        return false;
      }
    }
    doc_ = nlohmann::json::parse(MarkLoneSurrogates(Utf16ToUtf8(message)), nullptr, false);
    if (doc_.is_discarded() && error) *error = "not JSON: " + Utf16ToUtf8(message);
    return !doc_.is_discarded();
  }

  const nlohmann::json& Doc() const { return doc_; }

  // A string value as the page sees it, in UTF-16.
  static std::u16string Text(const nlohmann::json& value) {
    std::u16string text = Utf8ToUtf16(value.get_ref<const std::string&>());
    for (size_t at; (at = text.find(kMarker)) != std::u16string::npos;)
      text.replace(at, 6, 1, static_cast<char16_t>(std::stoi(Utf16ToUtf8(text.substr(at + 2, 4)), nullptr, 16)));
    return text;
  }

 private:
  static constexpr char16_t kMarker[] = u"\x01\x02";
  static bool IsHigh(int unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
  static bool IsLow(int unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

  // The unit a "\uXXXX" escape at `at` stands for, or -1.
  static int EscapedUnit(const std::string& json, size_t at) {
    if (at + 6 > json.size() || json.compare(at, 2, "\\u") != 0) return -1;
    const std::string hex = json.substr(at + 2, 4);
    return hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos ? std::stoi(hex, nullptr, 16) : -1;
  }

  static std::string MarkLoneSurrogates(const std::string& json) {
    std::string out;
    for (size_t i = 0; i < json.size();) {
      const int unit = json[i] == '\\' ? EscapedUnit(json, i) : -1;
      const size_t length = unit >= 0 ? 6 : json[i] == '\\' ? 2 : 1;
      if (IsHigh(unit) && IsLow(EscapedUnit(json, i + 6))) {
        out += json.substr(i, 12);
        i += 12;
        continue;
      }
      out += IsHigh(unit) || IsLow(unit) ? "\\u0001\\u0002" + json.substr(i + 2, 4) : json.substr(i, length);
      i += length;
    }
    return out;
  }

  nlohmann::json doc_;
};
