#include "base/log_format.h"

#include <cstdio>

#include "base/text.h"

size_t FormatLogPrefix(const LocalTime& t, char (&prefix)[32]) {
  const int n = std::snprintf(prefix, sizeof prefix, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month,
                              t.day, t.hour, t.minute, t.second);
  return n > 0 ? static_cast<size_t>(n) : 0;
}

std::string FormatLogLine(const LocalTime& t, std::u16string_view message) {
  char prefix[32];
  std::string line(prefix, FormatLogPrefix(t, prefix));
  line += Utf16ToUtf8(message);
  line += "\r\n";
  return line;
}
