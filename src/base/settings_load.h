#pragma once
// How start-up treats the settings file: only a file that is not there is a
// first run. A file that is there but cannot be read right now (a sync tool or
// a virus scanner holding it, a short read) is tried again for a while, and if
// it stays unreadable the program runs on defaults and never saves over it.
#include <cstdint>
#include <functional>
#include <string>

#include "base/settings.h"

enum class FileRead { Read, Missing, Failed };

enum class SettingsStart {
  Loaded,      // the file was read into the settings
  FirstRun,    // no file: defaults, and the first run writes one
  Unreadable,  // defaults, and the file must not be written this session
};

struct SettingsReader {
  // Reads the whole file; `error` is the platform's code when it fails.
  std::function<FileRead(std::string& bytes, uint32_t& error)> read;
  std::function<void(int32_t ms)> sleep;
};

inline constexpr int32_t kSettingsRetryMs = 2000;
inline constexpr int32_t kSettingsRetryStepMs = 100;

// Fills `settings` from the file when it can be read; `error` keeps the last
// failure's code for the log line.
SettingsStart LoadSettingsFile(const SettingsReader& reader, Settings& settings, uint32_t& error);

// The one log line for an unreadable file.
std::u16string UnreadableSettingsMessage(uint32_t error);
