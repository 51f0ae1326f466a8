#pragma once
// Numbered badges that identify the monitors.
#include <windows.h>

void RemoveMonitorBadges();
LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
