#pragma once
// Numbered badges that identify the monitors for 2.6 seconds.
#include <windows.h>

inline constexpr wchar_t kBadgeClass[] = L"LumenhollowBadge";

void ShowMonitorBadges();
void RemoveMonitorBadges();
LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
