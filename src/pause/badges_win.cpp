#include "pause/badges_win.h"

#include <dwmapi.h>

#include <vector>

#include "app/app_state_win.h"
#include "app/main_window_win.h"
#include "desktop/screens_win.h"
#include "pause/usage.h"

namespace {

std::vector<HWND> gBadges;

// Windows 11 window attributes that MinGW's dwmapi.h does not declare yet.
constexpr DWORD kCornerPreferenceAttribute = 33;  // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kCornerRound = 2;                 // DWMWCP_ROUND

void PaintBadge(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT r;
  GetClientRect(window, &r);
  HBRUSH accent = CreateSolidBrush(RGB(0x9A, 0xA6, 0xFF));
  HBRUSH dark = CreateSolidBrush(RGB(0x16, 0x18, 0x22));
  FillRect(dc, &r, accent);
  RECT inner = r;
  InflateRect(&inner, -10, -10);
  FillRect(dc, &inner, dark);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xEE, 0xF0, 0xF8));
  HFONT font = CreateFontW(BadgeFontHeight(r.bottom), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                           L"Segoe UI Variable Display");
  HGDIOBJ old = SelectObject(dc, font);
  wchar_t text[16];
  wsprintfW(text, L"%d", static_cast<int>(GetWindowLongPtrW(window, GWLP_USERDATA)));
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteObject(accent);
  DeleteObject(dark);
  EndPaint(window, &ps);
}

}  // namespace

void ShowMonitorBadges() {
  RemoveMonitorBadges();
  for (const BadgePlacement& b : PlanBadges(gScreens)) {
    HWND window = CreateWindowExW(WS_EX_NOACTIVATE | WS_EX_LAYERED | WS_EX_TOOLWINDOW | WS_EX_TOPMOST |
                                      WS_EX_TRANSPARENT,
                                  kBadgeClass, L"", WS_POPUP, b.x, b.y, b.size, b.size, nullptr, nullptr,
                                  gApp.instance, nullptr);
    if (!window) continue;
    SetWindowLongPtrW(window, GWLP_USERDATA, b.number);
    SetLayeredWindowAttributes(window, 0, 240, LWA_ALPHA);
    DwmSetWindowAttribute(window, kCornerPreferenceAttribute, &kCornerRound, sizeof kCornerRound);
    ShowWindow(window, SW_SHOWNOACTIVATE);
    gBadges.push_back(window);
  }
  SetTimer(gApp.mainWindow, TIMER_BADGES, 2600, nullptr);
}

void RemoveMonitorBadges() {
  for (HWND badge : gBadges) DestroyWindow(badge);
  gBadges.clear();
  KillTimer(gApp.mainWindow, TIMER_BADGES);
}

LRESULT CALLBACK BadgeWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      PaintBadge(window);
      return 0;
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}
