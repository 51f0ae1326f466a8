#pragma once
// Reads a message the way the library page does, strictly: the text must be
// well-formed UTF-16 (a raw lone surrogate fails, as it fails in a browser's
// strict reader) and well-formed JSON. JSON itself allows any "\uXXXX"
// escape, lone surrogates included, and the page's JSON.parse turns one back
// into the same code unit; nlohmann refuses those escapes, so such strings
// are decoded here and handed to nlohmann as placeholders.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "base/text.h"

class PageJson {
 public:
  // False, with a reason, when a strict reader would refuse the message.
  bool Parse(const std::u16string& message, std::string* error = nullptr) {
    strings_.clear();
    for (size_t i = 0; i < message.size(); ++i) {
      const char16_t c = message[i];
      if (c >= 0xD800 && c <= 0xDBFF && i + 1 < message.size() && message[i + 1] >= 0xDC00 &&
          message[i + 1] <= 0xDFFF) {
        ++i;
      } else if (c >= 0xD800 && c <= 0xDFFF) {
        if (error) *error = "raw lone surrogate at unit " + std::to_string(i);
        return false;
      }
    }
    const std::string rewritten = ReplaceLoneSurrogateStrings(Utf16ToUtf8(message));
    doc_ = nlohmann::json::parse(rewritten, nullptr, false);
    if (doc_.is_discarded() && error) *error = "not JSON: " + Utf16ToUtf8(message);
    return !doc_.is_discarded();
  }

  const nlohmann::json& Doc() const { return doc_; }

  // A string value as the page sees it, in UTF-16.
  std::u16string Text(const nlohmann::json& value) const {
    const std::string& s = value.get_ref<const std::string&>();
    if (s.size() > 2 && s.compare(0, 2, kMarker) == 0) return strings_.at(std::stoul(s.substr(2)));
    return Utf8ToUtf16(s);
  }

 private:
  static constexpr char kMarker[] = "\x01\x02";

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // Decodes the body of one string literal; false on a malformed escape
  // (left for nlohmann to report).
  static bool Decode(const std::string& body, std::u16string& out) {
    std::string run;
    for (size_t i = 0; i < body.size(); ++i) {
      if (body[i] != '\\') {
        run += body[i];
        continue;
      }
      out += Utf8ToUtf16(run);
      run.clear();
      if (++i >= body.size()) return false;
      switch (body[i]) {
        case '"': case '\\': case '/': out += static_cast<char16_t>(body[i]); break;
        case 'b': out += u'\b'; break;
        case 'f': out += u'\f'; break;
        case 'n': out += u'\n'; break;
        case 'r': out += u'\r'; break;
        case 't': out += u'\t'; break;
        case 'u': {
          if (i + 4 >= body.size()) return false;
          int unit = 0;
          for (int k = 1; k <= 4; ++k) {
            const int h = Hex(body[i + k]);
            if (h < 0) return false;
            unit = unit * 16 + h;
          }
          out += static_cast<char16_t>(unit);
          i += 4;
          break;
        }
        default: return false;
      }
    }
    out += Utf8ToUtf16(run);
    return true;
  }

  static bool HasLoneSurrogate(const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
      const bool high = s[i] >= 0xD800 && s[i] <= 0xDBFF;
      if (high && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
        ++i;
      } else if (s[i] >= 0xD800 && s[i] <= 0xDFFF) {
        return true;
      }
    }
    return false;
  }

  std::string ReplaceLoneSurrogateStrings(const std::string& json) {
    std::string out;
    size_t i = 0;
    while (i < json.size()) {
      if (json[i] != '"') {
        out += json[i++];
        continue;
      }
      size_t end = i + 1;
      while (end < json.size() && json[end] != '"') end += json[end] == '\\' ? 2 : 1;
      if (end >= json.size()) {
        out += json.substr(i);
        break;
      }
      const std::string body = json.substr(i + 1, end - i - 1);
      std::u16string decoded;
      if (Decode(body, decoded) && HasLoneSurrogate(decoded) && body.find('\x01') == std::string::npos) {
        out += "\"\\u0001\\u0002" + std::to_string(strings_.size()) + "\"";
        strings_.push_back(decoded);
      } else {
        out += json.substr(i, end - i + 1);
      }
      i = end + 1;
    }
    return out;
  }

  nlohmann::json doc_;
  std::vector<std::u16string> strings_;
};
