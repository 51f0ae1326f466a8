#pragma once
// The text of one log line, kept apart from the file access so it can be tested.
#include <cstddef>
#include <string>
#include <string_view>

struct LocalTime {
  int year, month, day, hour, minute, second;
};

// "YYYY-MM-DD hh:mm:ss " into a fixed buffer, for writers that must not
// allocate; returns its length (20).
size_t FormatLogPrefix(const LocalTime& time, char (&prefix)[32]);
// The prefix + the message in UTF-8 + CR LF.
std::string FormatLogLine(const LocalTime& time, std::u16string_view message);
