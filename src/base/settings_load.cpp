#include "base/settings_load.h"

#include "base/text.h"

SettingsStart LoadSettingsFile(const SettingsReader& reader, Settings& settings, uint32_t& error) {
  std::string bytes;
  error = 0;
  for (int32_t waited = 0;; waited += kSettingsRetryStepMs) {
    bytes.clear();
    switch (reader.read(bytes, error)) {
      case FileRead::Read:
        ParseSettings(bytes, settings);
        return SettingsStart::Loaded;
      case FileRead::Missing:
        return SettingsStart::FirstRun;
      case FileRead::Failed:
        break;
    }
    if (waited >= kSettingsRetryMs) return SettingsStart::Unreadable;
    reader.sleep(kSettingsRetryStepMs);
  }
}

std::u16string UnreadableSettingsMessage(uint32_t error) {
  return u"could not read lumenhollow.ini (error " + AsciiToUtf16(std::to_string(error)) +
         u"); running on defaults and leaving the file untouched";
}
