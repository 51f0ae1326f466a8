#pragma once
// The notification-area icon of the main window.
void AddTrayIcon();
void RemoveTrayIcon();
