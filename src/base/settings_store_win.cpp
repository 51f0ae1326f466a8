#include "base/settings_store_win.h"

#include <windows.h>

#include "base/app_facts_win.h"
#include "base/files_win.h"
#include "base/log_win.h"
#include "base/settings.h"
#include "base/wide_win.h"

namespace {

// Set when the file could not be read at start: writing defaults over it
// would lose the user's library, assignments and frames.
bool gKeepFileUntouched = false;

FileRead ReadSettingsFile(const std::u16string& path, std::string& bytes, uint32_t& error) {
  SetLastError(0);
  if (ReadWholeFile(path, bytes)) return FileRead::Read;
  error = GetLastError();
  const bool notFound = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  return notFound && GetFileAttributesW(W(path)) == INVALID_FILE_ATTRIBUTES ? FileRead::Missing : FileRead::Failed;
}

}  // namespace

Settings gSettings;

SettingsStart LoadSettings(const std::u16string& path) {
  const SettingsReader reader{
      [&](std::string& bytes, uint32_t& error) { return ReadSettingsFile(path, bytes, error); },
      [](int32_t ms) { Sleep(static_cast<DWORD>(ms)); }};
  uint32_t error = 0;
  const SettingsStart start = LoadSettingsFile(reader, gSettings, error);
  gKeepFileUntouched = start == SettingsStart::Unreadable;
  if (gKeepFileUntouched) LogLine(UnreadableSettingsMessage(error));
  return start;
}

void SaveSettings() {
  if (gKeepFileUntouched) return;
  ReplaceFileContents(gApp.dataDir + u"\\lumenhollow.ini", FormatSettings(gSettings));
}
