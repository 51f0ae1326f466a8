#include "desktop/screens_win.h"

ScreenList gScreens;
ScreenList gSavers;

// Monitor enumeration, desktop attachment and the surface creation rule come
// with the desktop host; until then there are no screens to build.
void RebuildScreens() { DestroyAllSurfaces(); }

void DestroySurface(Screen& screen) {
  screen.renderer.reset();
  if (screen.window && IsWindow(static_cast<HWND>(screen.window)))
    DestroyWindow(static_cast<HWND>(screen.window));
  screen.window = nullptr;
  screen.paused = false;
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

LRESULT CALLBACK SurfaceWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}
