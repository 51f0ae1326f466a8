#pragma once
#include <string>

// Sets the folder whose log.txt receives the lines; called once at start-up,
// before any thread that logs is started.
void SetLogFolder(const std::u16string& folder);
// Appends one time-stamped line to log.txt in the log folder. Safe from any
// thread; a folder that cannot be written simply loses the line.
void LogLine(const std::u16string& message);
