#pragma once
// Whole-file reads and writes. Paths are UTF-16.
#include <cstdint>
#include <string>

// True only when the whole file was read (an empty file gives true and "").
bool ReadWholeFile(const std::u16string& path, std::string& bytes);
// The first `limit` bytes of the file, or all of a shorter one.
bool ReadFileHead(const std::u16string& path, uint32_t limit, std::string& bytes);
// Replaces the file; failures are silent.
void WriteWholeFile(const std::u16string& path, const std::string& bytes);
// Writes a temporary file beside `path`, flushes it and moves it over `path`.
// On any failure the old file is left exactly as it was and false is returned.
bool ReplaceFileContents(const std::u16string& path, const std::string& bytes);
