#include "app/tray_win.h"

// The icon, its menu and tooltip come with the main window's switchboard;
// until then the program has no tray presence.
void AddTrayIcon() {}
void RemoveTrayIcon() {}
