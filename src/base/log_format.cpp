#include "base/log_format.h"

#include <cstdio>

#include "base/text.h"

std::string FormatLogLine(const LocalTime& t, std::u16string_view message) {
  char prefix[32];
  std::snprintf(prefix, sizeof prefix, "%04d-%02d-%02d %02d:%02d:%02d ", t.year, t.month, t.day,
                t.hour, t.minute, t.second);
  std::string line = prefix;
  line += Utf16ToUtf8(message);
  line += "\r\n";
  return line;
}
