#pragma once
// The text of one log line, kept apart from the file access so it can be tested.
#include <string>
#include <string_view>

struct LocalTime {
  int year, month, day, hour, minute, second;
};

// "YYYY-MM-DD hh:mm:ss " + the message in UTF-8 + CR LF.
std::string FormatLogLine(const LocalTime& time, std::u16string_view message);
