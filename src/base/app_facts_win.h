#pragma once
// Facts about this process that every layer reads: app/ fills them in at
// start-up on the main thread, and the layers below only read them.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <string>

// Posted to the main window from the bake thread: progress records are queued.
inline constexpr UINT WM_APP_BAKE_PROGRESS = WM_APP + 4;

struct AppFacts {
  HINSTANCE instance = nullptr;
  std::u16string exeDir;
  std::u16string dataDir;
  bool tourRequested = false;
  HWND mainWindow = nullptr;
  Microsoft::WRL::ComPtr<IWICImagingFactory> imagingFactory;
};

extern AppFacts gApp;
