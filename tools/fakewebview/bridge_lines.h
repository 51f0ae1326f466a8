#pragma once
// The lines of the page bridge (framing in bridge_channel.cpp), free of any
// platform so they are tested natively.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One line from the page side, decoded.
struct PageLine {
  bool isString = false;            // the page posted a string
  std::string utf8;                 // that string, else the JSON text of the value
  std::vector<std::string> files;   // UTF-8 paths of dropped files, in order
};

// {"navigate":"<url>"} and {"post":"<json>"}, each ended by "\n".
std::string NavigateLine(std::string_view utf8Url);
std::string PostLine(std::string_view utf8Json);

// Decodes one line without its "\n". Null for anything that is not a flat JSON
// object of string (or array of string) values with a "json" member.
std::optional<PageLine> ParsePageLine(std::string_view line);

// A JSON string literal of UTF-8 text: quote, backslash and control units escaped.
std::string JsonLiteral(std::string_view utf8);
