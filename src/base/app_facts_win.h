#pragma once
// Facts about this process that every layer reads: app/ fills them in at
// start-up on the main thread, and the layers below only read them.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <string>

// The program's own window messages, all of them. To the main window: the
// tray icon's callback, a second instance asking for the library, and the
// bake thread's "progress records are queued", and the library worker's "a
// new view of the list". To the library window: open the file picker
// (wParam 0) or the folder picker (1).
inline constexpr UINT WM_APP_TRAY = WM_APP + 1;
inline constexpr UINT WM_APP_OPEN_LIBRARY = WM_APP + 2;
inline constexpr UINT WM_APP_LIBRARY_PICK = WM_APP + 3;
inline constexpr UINT WM_APP_BAKE_PROGRESS = WM_APP + 4;
inline constexpr UINT WM_APP_LIBRARY_VIEW = WM_APP + 5;

struct AppFacts {
  HINSTANCE instance = nullptr;
  std::u16string exeDir;
  std::u16string dataDir;
  bool tourRequested = false;
  HWND mainWindow = nullptr;
  Microsoft::WRL::ComPtr<IWICImagingFactory> imagingFactory;
};

extern AppFacts gApp;
