#include "desktop/desktop_host_win.h"

#include <vector>

#include "desktop/desktop_host.h"

namespace {

// Asks Progman to create the WorkerW that sits between the wallpaper and the
// icons; the shell answers by making it if it does not exist yet.
void AskForWallpaperWorker(HWND progman) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(progman, 0x052C, 0x0D, 1, SMTO_NORMAL, 1000, &result);
  SendMessageTimeoutW(progman, 0x052C, 0, 0, SMTO_NORMAL, 1000, &result);
}

bool HoldsIconView(HWND window) { return FindWindowExW(window, nullptr, L"SHELLDLL_DefView", nullptr) != nullptr; }

BOOL CALLBACK WalkTopLevel(HWND window, LPARAM data) {
  TopLevelWindow w{window, HoldsIconView(window), nullptr};
  if (w.holdsIconView) w.nextWorkerW = FindWindowExW(nullptr, window, L"WorkerW", nullptr);
  reinterpret_cast<std::vector<TopLevelWindow>*>(data)->push_back(w);
  return TRUE;
}

}  // namespace

HWND FindDesktopHost() {
  HWND progman = FindWindowW(L"Progman", nullptr);
  if (!progman) return nullptr;
  AskForWallpaperWorker(progman);
  DesktopShellFacts facts;
  facts.progman = progman;
  facts.progmanHoldsIconView = HoldsIconView(progman);
  std::vector<TopLevelWindow> walk;
  if (facts.progmanHoldsIconView) {
    facts.progmanWorkerW = FindWindowExW(progman, nullptr, L"WorkerW", nullptr);
  } else {
    EnumWindows(WalkTopLevel, reinterpret_cast<LPARAM>(&walk));
    facts.walk = walk;
  }
  return static_cast<HWND>(ChooseDesktopHost(facts));
}
