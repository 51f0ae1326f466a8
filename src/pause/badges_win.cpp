#include "pause/badges_win.h"

#include <dwmapi.h>

#include <map>
#include <memory>
#include <vector>

#include "base/app_facts_win.h"
#include "base/handles_win.h"
#include "base/main_timers.h"
#include "pause/usage.h"

namespace {

std::vector<HWND> gBadges;

// Windows 11 window attributes that MinGW's dwmapi.h does not declare yet.
constexpr DWORD kCornerPreferenceAttribute = 33;  // DWMWA_WINDOW_CORNER_PREFERENCE
constexpr DWORD kCornerRound = 2;                 // DWMWCP_ROUND

// Made once: a badge repaints on every exposure, and the fonts depend only on
// the badge size, which differs between monitors.
struct BadgePaint {
  UniqueBrush accent{CreateSolidBrush(RGB(0x9A, 0xA6, 0xFF))};
  UniqueBrush dark{CreateSolidBrush(RGB(0x16, 0x18, 0x22))};
  std::map<int, UniqueFont> fonts;  // by height

  HFONT Font(int height) {
    UniqueFont& font = fonts[height];
    if (!font)
      font.reset(CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, 0, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             L"Segoe UI Variable Display"));
    return font.get();
  }
};
std::unique_ptr<BadgePaint> gPaint;

void PaintBadge(HWND window) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  RECT r;
  GetClientRect(window, &r);
  FillRect(dc, &r, gPaint->accent.get());
  RECT inner = r;
  InflateRect(&inner, -10, -10);
  FillRect(dc, &inner, gPaint->dark.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0xEE, 0xF0, 0xF8));
  HGDIOBJ old = SelectObject(dc, gPaint->Font(BadgeFontHeight(r.bottom)));
  wchar_t text[16];
  wsprintfW(text, L"%d", static_cast<int>(GetWindowLongPtrW(window, GWLP_USERDATA)));
  DrawTextW(dc, text, -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  EndPaint(window, &ps);
}

}  // namespace

void ShowMonitorBadges(const ScreenList& screens) {
  RemoveMonitorBadges();
  if (!gPaint) gPaint = std::make_unique<BadgePaint>();
  for (const BadgePlacement& b : PlanBadges(screens)) {
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
  Timers().Arm(TIMER_BADGES, 2600);
}

void RemoveMonitorBadges() {
  for (HWND badge : gBadges) DestroyWindow(badge);
  gBadges.clear();
  gPaint.reset();
  Timers().Stop(TIMER_BADGES);
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
