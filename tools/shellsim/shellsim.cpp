// shellsim: plays the desktop shell's windows under Wine, which has none.
//
//   shellsim.exe [--layout=toplevel|child] [--no-workerw]
//
// At start it creates a "Progman" top-level window over the virtual screen,
// painted in the desktop colour #3A6EA5, holding a "SHELLDLL_DefView" child that shows
// four magenta (#FF00FF) icon squares of 48 pixels at x = 24, y = 24 + 80 * i
// (screen coordinates), and broadcasts "TaskbarCreated" (a shell that starts
// tells the tray owners to re-add their icons).
//
// Message 0x052C to Progman asks for the wallpaper host, made once:
//   toplevel (default): the icon view moves into a new top-level "WorkerW",
//     and a second top-level "WorkerW" is placed right after it in z-order;
//     the second one is the wallpaper host. Progman stays below both.
//   child: a "WorkerW" child of Progman is made below the icon view; it is the
//     wallpaper host.
//   --no-workerw: the message is answered and nothing is made, so Progman
//     itself has to serve as the host.
//
// Under Wine a top-level window is an opaque X window and child windows are
// drawn in their parent's, so transparency is simulated with window regions:
// the icon view (and, in the top-level layout, its WorkerW) exists only where
// the icons are, and whatever lies below shows through everywhere else.
//
// The wallpaper host paints #2B4F7A until something covers it.
//
// Wine 8 draws no child window whose top-level window belongs to another
// process (neither GDI nor Direct3D content reaches the screen), so a
// wallpaper surface made by another program as a child of the host is there
// for every window query but invisible in screenshots.
//
// Kill it (TerminateProcess) and start it again to simulate a shell restart:
// every window it made goes with it.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cwchar>

namespace {

constexpr UINT kMakeWallpaperHost = 0x052C;
// Progman shows the desktop colour; the wallpaper host a darker "system
// wallpaper" of its own, so a picture of the host tells which window shows.
// The icon host paints red where its region would let it be seen: never.
constexpr COLORREF kDesktopColour = RGB(0x3A, 0x6E, 0xA5);
constexpr COLORREF kWallpaperColour = RGB(0x2B, 0x4F, 0x7A);
constexpr COLORREF kIconHostColour = RGB(0xFF, 0x00, 0x00);
constexpr COLORREF kIconColour = RGB(0xFF, 0x00, 0xFF);
// Icons in a column near the primary monitor's top-left corner, in screen
// coordinates: squares of kIconSize at (kIconLeft, kIconTop + i * kIconStep).
constexpr int kIconCount = 4;
constexpr int kIconSize = 48;
constexpr int kIconLeft = 24;
constexpr int kIconTop = 24;
constexpr int kIconStep = 80;

enum class Layout { TopLevel, Child, None };

struct Shell {
  Layout layout = Layout::TopLevel;
  RECT virtualScreen{};
  HWND progman = nullptr;
  HWND defView = nullptr;
  HWND iconHost = nullptr;   // top-level layout: the WorkerW holding the icon view
  HWND wallpaper = nullptr;  // the wallpaper host WorkerW
  HBRUSH desktopBrush = nullptr;
  HBRUSH wallpaperBrush = nullptr;
  HBRUSH iconHostBrush = nullptr;
  HBRUSH iconBrush = nullptr;
} shell;

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

RECT IconRect(int i) {
  const int top = kIconTop + i * kIconStep;
  return RECT{kIconLeft, top, kIconLeft + kIconSize, top + kIconSize};
}

// The icon squares in the coordinates of a window whose top-left corner lies
// at the virtual screen's top-left corner. The system owns the region after
// SetWindowRgn.
void ShapeToIcons(HWND window) {
  HRGN shape = CreateRectRgn(0, 0, 0, 0);
  for (int i = 0; i < kIconCount; ++i) {
    RECT r = IconRect(i);
    OffsetRect(&r, -shell.virtualScreen.left, -shell.virtualScreen.top);
    HRGN square = CreateRectRgnIndirect(&r);
    CombineRgn(shape, shape, square, RGN_OR);
    DeleteObject(square);
  }
  SetWindowRgn(window, shape, TRUE);
}

void PaintFilled(HWND window, HBRUSH brush) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window, &ps);
  FillRect(dc, &ps.rcPaint, brush);
  EndPaint(window, &ps);
}

HWND MakeWindow(const wchar_t* cls, const wchar_t* title, DWORD style, HWND parent, const RECT& r) {
  return CreateWindowExW(0, cls, title, style, r.left, r.top, Width(r), Height(r), parent, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

void MakeWallpaperHost() {
  if (shell.layout == Layout::None || (shell.wallpaper && IsWindow(shell.wallpaper))) return;
  const RECT client{0, 0, Width(shell.virtualScreen), Height(shell.virtualScreen)};
  if (shell.layout == Layout::Child) {
    shell.wallpaper =
        MakeWindow(L"WorkerW", L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, shell.progman, client);
    SetWindowPos(shell.wallpaper, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(shell.wallpaper, SW_SHOWNA);
    return;
  }
  const DWORD topStyle = WS_POPUP | WS_CLIPCHILDREN;
  shell.iconHost = MakeWindow(L"WorkerW", L"", topStyle, nullptr, shell.virtualScreen);
  ShapeToIcons(shell.iconHost);
  SetParent(shell.defView, shell.iconHost);
  SetWindowPos(shell.defView, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  shell.wallpaper = MakeWindow(L"WorkerW", L"", topStyle, nullptr, shell.virtualScreen);
  // Top to bottom: icon host, wallpaper host, Progman.
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
  SetWindowPos(shell.iconHost, HWND_BOTTOM, 0, 0, 0, 0, keep);
  SetWindowPos(shell.wallpaper, shell.iconHost, 0, 0, 0, 0, keep);
  SetWindowPos(shell.progman, shell.wallpaper, 0, 0, 0, 0, keep);
  ShowWindow(shell.wallpaper, SW_SHOWNA);
  ShowWindow(shell.iconHost, SW_SHOWNA);
}

LRESULT CALLBACK ProgmanProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMakeWallpaperHost:
      MakeWallpaperHost();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintFilled(window, shell.desktopBrush);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK DefViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintFilled(window, shell.iconBrush);  // the region leaves only the icons
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK WorkerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintFilled(window, window == shell.iconHost ? shell.iconHostBrush : shell.wallpaperBrush);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool Register(const wchar_t* name, WNDPROC proc) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0;
}

Layout ParseLayout() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  Layout layout = Layout::TopLevel;
  for (int i = 1; argv && i < argc; ++i) {
    if (std::wcscmp(argv[i], L"--layout=child") == 0)
      layout = Layout::Child;
    else if (std::wcscmp(argv[i], L"--layout=toplevel") == 0)
      layout = Layout::TopLevel;
    else if (std::wcscmp(argv[i], L"--no-workerw") == 0)
      layout = Layout::None;
  }
  LocalFree(argv);
  return layout;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  shell.layout = ParseLayout();
  shell.desktopBrush = CreateSolidBrush(kDesktopColour);
  shell.wallpaperBrush = CreateSolidBrush(kWallpaperColour);
  shell.iconHostBrush = CreateSolidBrush(kIconHostColour);
  shell.iconBrush = CreateSolidBrush(kIconColour);
  if (!Register(L"Progman", ProgmanProc) || !Register(L"SHELLDLL_DefView", DefViewProc) ||
      !Register(L"WorkerW", WorkerProc))
    return 1;

  const int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  shell.virtualScreen =
      RECT{x, y, x + GetSystemMetrics(SM_CXVIRTUALSCREEN), y + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  shell.progman =
      MakeWindow(L"Progman", L"Program Manager", WS_POPUP | WS_CLIPCHILDREN, nullptr, shell.virtualScreen);
  if (!shell.progman) return 1;
  const RECT client{0, 0, Width(shell.virtualScreen), Height(shell.virtualScreen)};
  shell.defView =
      MakeWindow(L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, shell.progman, client);
  ShapeToIcons(shell.defView);
  SetWindowPos(shell.progman, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(shell.progman, SW_SHOWNA);
  UpdateWindow(shell.progman);

  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(shell.iconBrush);
  DeleteObject(shell.iconHostBrush);
  DeleteObject(shell.wallpaperBrush);
  DeleteObject(shell.desktopBrush);
  return 0;
}
