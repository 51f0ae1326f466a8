#pragma once
// The hidden LumenhollowMain window: the program's switchboard.
#include <windows.h>

#include "base/main_timers.h"

// Tray menu command ids.
inline constexpr UINT kCommandOpenLibrary = 1;
inline constexpr UINT kCommandPauseAll = 2;
inline constexpr UINT kCommandStartWithWindows = 3;
inline constexpr UINT kCommandExit = 4;
inline constexpr UINT kCommandNextWallpaper = 5;

// GUID_CONSOLE_DISPLAY_STATE: display on, off and dimmed notifications.
inline constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// The main window's timers and the frame timer, as the layers below see them.
MainTimers& MainWindowTimers();
