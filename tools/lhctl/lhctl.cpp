// lhctl: asks a running Lumenhollow to do what its tray menu does, so scripts
// can drive it, and waits for what it shows.
// Usage: lhctl wait [seconds] | open | close-library | pause | autostart | exit [seconds] | saver [seconds]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>

namespace {

HWND WaitForMain(int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    if (HWND w = FindWindowW(L"LumenhollowMain", nullptr)) return w;
    Sleep(100);
  }
  return nullptr;
}

int Seconds(int argc, wchar_t** argv, int fallback) {
  return argc > 2 && std::iswdigit(argv[2][0]) ? _wtoi(argv[2]) : fallback;
}

// Waits for the screensaver's full-screen window and prints its rectangle.
int WaitForSaver(int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    HWND w = FindWindowW(L"LumenhollowSaver", nullptr);
    RECT r;
    if (w && IsWindowVisible(w) && GetWindowRect(w, &r)) {
      std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
      return 0;
    }
    Sleep(100);
  }
  std::fputs("lhctl: no screensaver window\n", stderr);
  return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fputs("usage: lhctl wait [seconds] | open | close-library | pause | autostart | exit [seconds] | "
               "saver [seconds]\n", stderr);
    return 2;
  }
  const wchar_t* verb = argv[1];
  if (std::wcscmp(verb, L"saver") == 0) return WaitForSaver(Seconds(argc, argv, 90));
  HWND main = WaitForMain(std::wcscmp(verb, L"wait") == 0 ? Seconds(argc, argv, 20) : 1);
  if (!main) {
    std::fputs("lhctl: Lumenhollow is not running\n", stderr);
    return 1;
  }
  if (std::wcscmp(verb, L"wait") == 0) return 0;
  if (std::wcscmp(verb, L"close-library") == 0) {
    HWND library = FindWindowW(L"LumenhollowLibrary", nullptr);
    if (library) PostMessageW(library, WM_CLOSE, 0, 0);
    return library ? 0 : 1;
  }
  const WPARAM command = std::wcscmp(verb, L"open") == 0        ? 1
                         : std::wcscmp(verb, L"pause") == 0     ? 2
                         : std::wcscmp(verb, L"autostart") == 0 ? 3
                         : std::wcscmp(verb, L"exit") == 0      ? 4
                                                                : 0;
  if (command == 0) {
    std::fputs("lhctl: unknown command\n", stderr);
    return 2;
  }
  PostMessageW(main, WM_COMMAND, command, 0);
  if (command != 4) return 0;
  // Exit: wait until the window is gone, so the caller knows shutdown finished.
  for (int i = 0; i < Seconds(argc, argv, 10) * 10 && IsWindow(main); ++i) Sleep(100);
  return IsWindow(main) ? 1 : 0;
}
