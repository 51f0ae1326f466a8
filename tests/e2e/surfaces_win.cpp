// e2e_surfaces: prints every wallpaper surface window on the desktop, one line
// each: handle, the class of its parent, and its window rectangle.
//   0x00000000000a01b2 WorkerW 0 0 1920 1080
// Under Wine the surfaces' pixels never reach the screen (their parent belongs to
// another process), so the tests read the window tree instead.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

BOOL CALLBACK Visit(HWND w, LPARAM) {
  wchar_t name[64] = {};
  GetClassNameW(w, name, 64);
  if (std::wcscmp(name, L"LumenhollowSurface") == 0) {
    wchar_t parent[64] = {};
    HWND p = GetAncestor(w, GA_PARENT);
    if (p && p != GetDesktopWindow()) GetClassNameW(p, parent, 64);
    RECT r = {};
    GetWindowRect(w, &r);
    std::printf("0x%016llx %ls %ld %ld %ld %ld\n", static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(w)),
                parent[0] ? parent : L"-", r.left, r.top, r.right, r.bottom);
  }
  return TRUE;
}

BOOL CALLBACK VisitTop(HWND w, LPARAM l) {
  Visit(w, l);
  EnumChildWindows(w, Visit, l);
  return TRUE;
}

}  // namespace

int wmain() {
  EnumWindows(VisitTop, 0);
  return 0;
}
