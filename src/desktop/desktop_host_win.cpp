#include "desktop/desktop_host_win.h"

namespace {

// Asks Progman to create the WorkerW that sits between the wallpaper and the
// icons; the shell answers by making it if it does not exist yet.
void AskForWallpaperWorker(HWND progman) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(progman, 0x052C, 0x0D, 1, SMTO_NORMAL, 1000, &result);
  SendMessageTimeoutW(progman, 0x052C, 0, 0, SMTO_NORMAL, 1000, &result);
}

BOOL CALLBACK FindWorkerAfterIconView(HWND window, LPARAM candidate) {
  // Every window holding the icon view overwrites the candidate: the last one wins.
  if (FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr))
    *reinterpret_cast<HWND*>(candidate) = FindWindowExW(nullptr, window, L"WorkerW", nullptr);
  return TRUE;
}

}  // namespace

HWND FindDesktopHost() {
  HWND progman = FindWindowW(L"Progman", nullptr);
  if (!progman) return nullptr;
  AskForWallpaperWorker(progman);
  HWND candidate = nullptr;
  if (FindWindowExW(progman, nullptr, L"SHELLDLL_DefView", nullptr)) {
    candidate = FindWindowExW(progman, nullptr, L"WorkerW", nullptr);
  } else {
    EnumWindows(FindWorkerAfterIconView, reinterpret_cast<LPARAM>(&candidate));
  }
  return candidate ? candidate : progman;
}
