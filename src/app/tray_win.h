#pragma once
// The notification-area icon of the main window, its menu and its tooltip.
#include <string>

// Adds the icon (at start and again after the shell restarted).
void AddTrayIcon();
void RemoveTrayIcon();
// Shows the menu at a screen point; the choice arrives as WM_COMMAND.
void ShowTrayMenu(int x, int y, bool userPaused, bool startsWithWindows, bool rotating);
// Sends the tooltip to the shell only when it changed.
void SetTrayTip(const std::u16string& text);
