#pragma once
// Numbered badges that identify the monitors for 2.6 seconds.
#include <windows.h>

#include "desktop/screen.h"

inline constexpr wchar_t kBadgeClass[] = L"LumenhollowBadge";

// One badge on each monitor of `screens`, numbered in their order.
void ShowMonitorBadges(const ScreenList& screens);
void RemoveMonitorBadges();
LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
