#pragma once
// Process-wide state of the application shell, owned by the main thread.
#include <windows.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstdint>
#include <string>

#include "app/frame_pacing.h"
#include "base/handles_win.h"
#include "base/settings.h"

inline constexpr UINT WM_APP_TRAY = WM_APP + 1;
inline constexpr UINT WM_APP_OPEN_LIBRARY = WM_APP + 2;
inline constexpr UINT WM_APP_LIBRARY_PICK = WM_APP + 3;
inline constexpr UINT WM_APP_BAKE_PROGRESS = WM_APP + 4;

inline constexpr wchar_t kMainClass[] = L"LumenhollowMain";
inline constexpr wchar_t kSurfaceClass[] = L"LumenhollowSurface";
inline constexpr wchar_t kSaverClass[] = L"LumenhollowSaver";
inline constexpr wchar_t kBadgeClass[] = L"LumenhollowBadge";
inline constexpr wchar_t kLibraryClass[] = L"LumenhollowLibrary";
inline constexpr wchar_t kInstanceMutex[] = L"Local\\LumenhollowSingleInstance";

struct AppState {
  HINSTANCE instance = nullptr;
  std::u16string exeDir;
  std::u16string dataDir;
  bool trayStart = false;
  bool tourRequested = false;
  bool firstRun = false;
  UniqueHandle instanceMutex;
  HWND mainWindow = nullptr;
  UINT taskbarCreatedMsg = 0;
  UniqueIcon bigIcon;
  UniqueIcon smallIcon;
  UniqueHandle frameTimer;
  UniqueWinEventHook windowEventHooks[3];
  UniquePowerNotify displayStateNotify;
  FrameTimerState frameTimerState;
  int64_t qpcFrequency = 0;
  int64_t lastFrameCounter = 0;
  Microsoft::WRL::ComPtr<IWICImagingFactory> imagingFactory;
};

extern AppState gApp;
extern Settings gSettings;
