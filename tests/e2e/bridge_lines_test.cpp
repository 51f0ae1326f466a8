// The lines the test runtime's bridge channel writes and reads.
#include "bridge_lines.h"

#include <gtest/gtest.h>

namespace {

TEST(BridgeLines, OutgoingLinesAreOneJsonObjectEachWithNoRawLineBreak) {
  EXPECT_EQ(PostLine(R"({"t":"tour"})"), "{\"post\":\"{\\\"t\\\":\\\"tour\\\"}\"}\n");
  // JSON may carry whitespace, tabs and line breaks between tokens.
  EXPECT_EQ(PostLine("{\n\t\"a\":\"b\\\\c\"\r\n}"), "{\"post\":\"{\\u000a\\u0009\\\"a\\\":\\\"b\\\\\\\\c\\\"\\u000d\\u000a}\"}\n");
  EXPECT_EQ(NavigateLine("file:///Z:/a%20b/ui/library.html"), "{\"navigate\":\"file:///Z:/a%20b/ui/library.html\"}\n");
  // Text beyond ASCII passes as it is, and what the page side writes reads back.
  const std::string name = "Lac d\xE2\x80\x99\xC3\xA9t\xC3\xA9 \xF0\x9D\x84\x9E";
  const auto back = ParsePageLine("{\"json\":\"x\",\"string\":" + JsonLiteral(name + "\x1f" + "\"\\") + "}");
  ASSERT_TRUE(back);
  EXPECT_EQ(back->utf8, name + "\x1f\"\\");
}

TEST(BridgeLines, PageLinesDecode) {
  struct Case {
    const char* line;
    bool isString;
    std::string utf8;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {R"({"json":"\"ready\"","string":"ready"})", true, "ready", {}},
      // The string wins over the JSON whichever comes first.
      {R"({"string":"apply\u001f0\u001fZ:\\a b\\c.png","json":"\"ignored\""})", true, "apply\x1f" "0\x1fZ:\\a b\\c.png", {}},
      {R"({"json":"{\"t\":\"object\"}"})", false, R"({"t":"object"})", {}},
      {R"( { "json" : "\"drop\"" , "string" : "drop" , "files" : [ "Z:\\x\\a.png" , "C:\\y.mp4" ] } )", true, "drop",
       {"Z:\\x\\a.png", "C:\\y.mp4"}},
      {R"({"json":"\"drop\"","string":"drop","files":[]})", true, "drop", {}},
      // Escapes: every short form, a pair of surrogates, a lone one kept as three bytes.
      {R"({"json":"1","string":"\"\\\/\b\f\n\r\t\u00e9\ud834\udd1e\ud800x\udc00"})", true,
       "\"\\/\b\f\n\r\t\xC3\xA9\xF0\x9D\x84\x9E\xED\xA0\x80x\xED\xB0\x80", {}},
      // A high surrogate followed by an escape that is not a low one keeps both.
      {R"({"json":"1","string":"\ud800\u0041"})", true, "\xED\xA0\x80" "A", {}},
      // Unknown members are skipped.
      {R"({"v":"2","json":"7","extra":["a"]})", false, "7", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::optional<PageLine> got = ParsePageLine(c.line);
    ASSERT_TRUE(got);
    EXPECT_EQ(got->isString, c.isString);
    EXPECT_EQ(got->utf8, c.utf8);
    EXPECT_EQ(got->files, c.files);
  }
}

TEST(BridgeLines, BrokenPageLinesAreRefused) {
  const char* bad[] = {
      "",
      "[]",
      "{}",                                   // no json member
      R"({"string":"ready"})",                // no json member
      R"({"json":"1")",                       // unclosed
      R"({"json":"1"} x)",                    // trailing text
      R"({"json":1})",                        // not a string
      R"({"json":"1","files":["a",2]})",      // a path that is not a string
      R"({"json":"1","files":["a")",          // unclosed array
      R"({"json":"1",})",                     // trailing comma
      R"({"json":"a\qb"})",                   // unknown escape
      R"({"json":"\u12"})",                   // short escape
      R"({"json":"\u12G4"})",                 // not hex
      "{\"json\":\"a\x01b\"}",                // raw control character
      "{\"json\":\"abc\\",                    // cut inside an escape
  };
  for (const char* line : bad) EXPECT_FALSE(ParsePageLine(line)) << line;
}

}  // namespace
