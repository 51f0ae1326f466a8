#pragma once
// The hidden LumenhollowMain window: the program's switchboard.
#include <windows.h>

inline constexpr UINT_PTR TIMER_HOUSEKEEPING = 1;
inline constexpr UINT_PTR TIMER_REBUILD = 2;
inline constexpr UINT_PTR TIMER_REDECIDE = 3;
inline constexpr UINT_PTR TIMER_TRIM = 4;
inline constexpr UINT_PTR TIMER_SAVER = 5;
inline constexpr UINT_PTR TIMER_BADGES = 6;
inline constexpr UINT_PTR TIMER_SAVE_SETTINGS = 7;

// Tray menu command ids.
inline constexpr UINT kCommandOpenLibrary = 1;
inline constexpr UINT kCommandPauseAll = 2;
inline constexpr UINT kCommandStartWithWindows = 3;
inline constexpr UINT kCommandExit = 4;

// GUID_CONSOLE_DISPLAY_STATE: display on, off and dimmed notifications.
inline constexpr GUID kConsoleDisplayState = {
    0x6fe69556, 0x704a, 0x47a0, {0x8f, 0x24, 0xc2, 0x8d, 0x93, 0x6f, 0xda, 0x47}};

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
