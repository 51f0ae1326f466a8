#include "pause/badges_win.h"

// The badges themselves arrive with the usage figures; nothing is shown yet.
void RemoveMonitorBadges() {}

LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}
