#include "app/settings_store_win.h"

#include "app/app_state_win.h"
#include "base/files_win.h"
#include "base/settings.h"

bool LoadSettings(const std::u16string& path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  ParseSettings(bytes, gSettings);
  return true;
}

void SaveSettings() { ReplaceFileContents(gApp.dataDir + u"\\lumenhollow.ini", FormatSettings(gSettings)); }
