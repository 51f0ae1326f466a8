#include "base/text.h"

#include <gtest/gtest.h>

#include "base/log_format.h"

namespace {

TEST(Text, WellFormedTextRoundTrips) {
  for (const auto& [text, utf8] : {std::pair<std::u16string, std::string>{u"", ""},
                                   {u"A\u00e9\u0800\uFFFD\U00010000\U0010FFFF",
                                    "A\xC3\xA9\xE0\xA0\x80\xEF\xBF\xBD\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"}}) {
    EXPECT_EQ(Utf16ToUtf8(text), utf8);
    EXPECT_EQ(Utf8ToUtf16(utf8), text);
  }
}

TEST(Text, IllFormedInputBecomesReplacementCharacters) {
  // Lone surrogates cannot be written as UTF-8.
  EXPECT_EQ(Utf16ToUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD" "b");
  EXPECT_EQ(Utf16ToUtf8(std::u16string{char16_t(0xDC00)}), "\xEF\xBF\xBD");
  struct Case {
    std::string bytes;
    std::u16string text;
  } cases[] = {
      {"\xC0\xAF", u"\uFFFD\uFFFD"},              // overlong
      {"\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD"},    // overlong three-byte form
      {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},    // encoded surrogate
      {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},  // past U+10FFFF
      {"\xE2\x82", u"\uFFFD"},                    // truncated at the end
      {"\xE2\x82x", u"\uFFFDx"},                  // truncated before ASCII
      {"\xFF", u"\uFFFD"},
      {"\x80x", u"\uFFFDx"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8ToUtf16(c.bytes), c.text);
}

TEST(LogFormat, PrefixMessageAndCrLf) {
  const LocalTime t{2026, 3, 14, 9, 5, 7};
  EXPECT_EQ(FormatLogLine(t, u"explorer restarted or desktop changed; re-attaching"),
            "2026-03-14 09:05:07 explorer restarted or desktop changed; re-attaching\r\n");
  EXPECT_EQ(FormatLogLine(t, u"could not load C:\\Vid\u00e9os\\\u00e9t\u00e9.mp4"),
            "2026-03-14 09:05:07 could not load C:\\Vid\xC3\xA9os\\\xC3\xA9t\xC3\xA9.mp4\r\n");
  EXPECT_EQ(FormatLogLine(t, u""), "2026-03-14 09:05:07 \r\n");
}

}  // namespace
