#pragma once
#include <string>

// Appends one time-stamped line to log.txt in the data folder. Safe from any
// thread; a folder that cannot be written simply loses the line.
void LogLine(const std::u16string& message);
