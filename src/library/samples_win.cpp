#include "library/samples_win.h"

#include "base/app_facts_win.h"
#include "base/settings_store_win.h"
#include "base/wide_win.h"
#include "library/samples.h"

BOOL CALLBACK AssignSampleWallpapers(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& counter = *reinterpret_cast<unsigned*>(data);
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  const std::u16string path = gApp.exeDir + u"\\wallpapers\\" + std::u16string(SampleWallpaperName(counter++));
  if (GetFileAttributesW(W(path)) != INVALID_FILE_ATTRIBUTES) gSettings.assignments[U16(info.szDevice)] = path;
  return TRUE;
}
