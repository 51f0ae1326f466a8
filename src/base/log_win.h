#pragma once
#include <cstddef>
#include <string>

// Sets the folder whose log.txt receives the lines; called once at start-up,
// before any thread that logs is started.
void SetLogFolder(const std::u16string& folder);
// Appends one time-stamped line to log.txt in the log folder. Safe from any
// thread; a folder that cannot be written simply loses the line.
void LogLine(const std::u16string& message);
// The same line written with one write, without taking the log's lock or
// allocating: for the crash filter, which may run while the crashed thread
// holds that lock or after the heap broke.
void LogLineFromCrash(const wchar_t* message, size_t length);
