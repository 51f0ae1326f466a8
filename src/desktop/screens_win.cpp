#include "desktop/screens_win.h"

#include <map>

#include "base/app_facts_win.h"
#include "base/settings_store_win.h"
#include "base/wide_win.h"
#include "desktop/desktop_host.h"
#include "desktop/rotation.h"
#include "desktop/screen_model.h"

ScreenList gScreens;
ScreenList gSavers;
HWND gDesktopHost = nullptr;

namespace {

std::map<std::u16string, std::u16string> gFriendlyNames;  // GDI source name -> monitor name

void ReadFriendlyNames() {
  gFriendlyNames.clear();
  UINT32 pathCount = 0, modeCount = 0;
  if (GetDisplayConfigBufferSizes(QDC_ONLY_ACTIVE_PATHS, &pathCount, &modeCount) != ERROR_SUCCESS) return;
  std::vector<DISPLAYCONFIG_PATH_INFO> paths(pathCount);
  std::vector<DISPLAYCONFIG_MODE_INFO> modes(modeCount);
  if (QueryDisplayConfig(QDC_ONLY_ACTIVE_PATHS, &pathCount, paths.data(), &modeCount, modes.data(), nullptr) !=
      ERROR_SUCCESS)
    return;
  for (UINT32 i = 0; i < pathCount; ++i) {
    DISPLAYCONFIG_SOURCE_DEVICE_NAME source{};
    source.header = {DISPLAYCONFIG_DEVICE_INFO_GET_SOURCE_NAME, sizeof source, paths[i].sourceInfo.adapterId,
                     paths[i].sourceInfo.id};
    DISPLAYCONFIG_TARGET_DEVICE_NAME target{};
    target.header = {DISPLAYCONFIG_DEVICE_INFO_GET_TARGET_NAME, sizeof target, paths[i].targetInfo.adapterId,
                     paths[i].targetInfo.id};
    if (DisplayConfigGetDeviceInfo(&source.header) == ERROR_SUCCESS &&
        DisplayConfigGetDeviceInfo(&target.header) == ERROR_SUCCESS)
      gFriendlyNames[U16(source.viewGdiDeviceName)] = U16(target.monitorFriendlyDeviceName);
  }
}

BOOL CALLBACK AddScreen(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFOEXW info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  auto screen = std::make_unique<Screen>();
  screen->monitor = monitor;
  screen->bounds = {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
  screen->workArea = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  screen->primary = info.dwFlags & MONITORINFOF_PRIMARY;
  DISPLAY_DEVICEW device{};
  device.cb = sizeof device;
  const bool ok = EnumDisplayDevicesW(info.szDevice, 0, &device, EDD_GET_DEVICE_INTERFACE_NAME);
  const std::u16string gdiName = U16(info.szDevice);
  screen->key = StableScreenKey(ok, U16(device.DeviceID), gdiName);
  const bool moved = MigrateScreenKey(gSettings.assignments, screen->key, gdiName);
  if (MigrateRotationKey(gSettings.rotations, screen->key, gdiName) || moved) SaveSettings();
  if (auto it = gFriendlyNames.find(gdiName); it != gFriendlyNames.end()) screen->friendlyName = it->second;
  gScreens.push_back(std::move(screen));
  return TRUE;
}

}  // namespace

void GatherScreens() {
  ReadFriendlyNames();
  EnumDisplayMonitors(nullptr, nullptr, AddScreen, 0);
  SortScreens(gScreens);
}

HWND CreateSurfaceWindow(const Screen& screen, bool saver) {
  const int width = screen.bounds.right - screen.bounds.left;
  const int height = screen.bounds.bottom - screen.bounds.top;
  if (saver) {
    return CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kSaverClass, L"", WS_POPUP | WS_VISIBLE,
                           screen.bounds.left, screen.bounds.top, width, height, nullptr, nullptr, gApp.instance,
                           nullptr);
  }
  POINT corners[2] = {{screen.bounds.left, screen.bounds.top}, {screen.bounds.right, screen.bounds.bottom}};
  MapWindowPoints(nullptr, gDesktopHost, corners, 2);
  return CreateWindowExW(WS_EX_NOACTIVATE, kSurfaceClass, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, corners[0].x, corners[0].y,
                         width, height, gDesktopHost, nullptr, gApp.instance, nullptr);
}

void DestroySurface(Screen& screen) {
  screen.renderer.reset();
  if (screen.window && IsWindow(static_cast<HWND>(screen.window))) DestroyWindow(static_cast<HWND>(screen.window));
  screen.window = nullptr;
  screen.paused = false;
  screen.released = false;
}

void DestroyAllSurfaces() {
  for (auto& screen : gScreens) DestroySurface(*screen);
  gScreens.clear();
}

void RefreshSystemWallpaper() {
  wchar_t path[260] = {};
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, 260, path, 0);
  SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, path, 0);
}

bool DesktopVanished() {
  if (HostVanished(gDesktopHost, IsWindow(gDesktopHost))) return true;
  for (const auto& s : gScreens)
    if (s->window && !IsWindow(static_cast<HWND>(s->window))) return true;
  return false;
}

LRESULT CALLBACK SurfaceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // clicks go through to the desktop
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      SetCursor(nullptr);
      return 1;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATEANDEAT;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
