#include "bridge_lines.h"

#include <cstdio>

namespace {

void AppendUtf8(std::string& out, unsigned cp) {
  // Lone surrogates are kept as three-byte sequences, so the host's conversion
  // to UTF-16 sees the unit the page had.
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | cp >> 6);
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | cp >> 12);
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | cp >> 18);
    out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  void SkipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\r' || s_[i_] == '\n')) ++i_;
  }

  bool Eat(char c) {
    SkipSpace();
    if (i_ >= s_.size() || s_[i_] != c) return false;
    ++i_;
    return true;
  }

  bool AtEnd() {
    SkipSpace();
    return i_ == s_.size();
  }

  bool Peek(char c) {
    SkipSpace();
    return i_ < s_.size() && s_[i_] == c;
  }

  bool String(std::string& out) {
    out.clear();
    if (!Eat('"')) return false;
    while (i_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[i_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (i_ >= s_.size()) return false;
      const char e = s_[i_++];
      switch (e) {
        case '"': case '\\': case '/': out += e; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          unsigned unit = 0;
          if (!Hex4(unit)) return false;
          if (unit >= 0xD800 && unit < 0xDC00 && s_.substr(i_, 2) == "\\u") {
            const size_t back = i_;
            i_ += 2;
            unsigned low = 0;
            if (Hex4(low) && low >= 0xDC00 && low < 0xE000) {
              unit = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
            } else {
              i_ = back;  // a lone high surrogate; what follows is read on its own
            }
          }
          AppendUtf8(out, unit);
          break;
        }
        default: return false;
      }
    }
    return false;
  }

 private:
  bool Hex4(unsigned& out) {
    if (s_.size() - i_ < 4) return false;
    out = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      const int v = h >= '0' && h <= '9' ? h - '0' : h >= 'a' && h <= 'f' ? h - 'a' + 10 : h >= 'A' && h <= 'F' ? h - 'A' + 10 : -1;
      if (v < 0) return false;
      out = out * 16 + static_cast<unsigned>(v);
    }
    return true;
  }

  std::string_view s_;
  size_t i_ = 0;
};

}  // namespace

std::string JsonLiteral(std::string_view utf8) {
  std::string out = "\"";
  for (const char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string NavigateLine(std::string_view utf8Url) { return "{\"navigate\":" + JsonLiteral(utf8Url) + "}\n"; }

std::string PostLine(std::string_view utf8Json) { return "{\"post\":" + JsonLiteral(utf8Json) + "}\n"; }

std::optional<PageLine> ParsePageLine(std::string_view line) {
  Reader r(line);
  PageLine out;
  bool haveJson = false;
  if (!r.Eat('{')) return std::nullopt;
  if (!r.Eat('}')) {
    do {
      std::string key, value;
      if (!r.String(key) || !r.Eat(':')) return std::nullopt;
      if (r.Peek('[')) {
        r.Eat('[');
        std::vector<std::string> list;
        if (!r.Eat(']')) {
          do {
            if (!r.String(value)) return std::nullopt;
            list.push_back(value);
          } while (r.Eat(','));
          if (!r.Eat(']')) return std::nullopt;
        }
        if (key == "files") out.files = std::move(list);
        continue;
      }
      if (!r.String(value)) return std::nullopt;
      if (key == "json") {
        haveJson = true;
        if (!out.isString) out.utf8 = value;
      } else if (key == "string") {
        out.isString = true;
        out.utf8 = value;
      }
    } while (r.Eat(','));
    if (!r.Eat('}')) return std::nullopt;
  }
  if (!r.AtEnd() || !haveJson) return std::nullopt;
  return out;
}
