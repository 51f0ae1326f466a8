#pragma once
// Which shell window becomes the parent of the wallpaper surfaces, decided
// from what the shell found after asking Progman for its wallpaper host.
#include <span>

// One top-level window in the z-order walk, top to bottom.
struct TopLevelWindow {
  void* window = nullptr;
  bool holdsIconView = false;  // it has a SHELLDLL_DefView child
  void* nextWorkerW =
      nullptr;  // the next top-level WorkerW after it; looked at only when it holds the icon view
};

struct DesktopShellFacts {
  void* progman = nullptr;               // null: no desktop at all
  bool progmanHoldsIconView = false;     // the icon view is Progman's own child
  void* progmanWorkerW = nullptr;        // Progman's first WorkerW child
  std::span<const TopLevelWindow> walk;  // consulted only when the icon view is elsewhere
};

// The newer layout keeps the wallpaper WorkerW inside Progman; the older one
// puts it right after the top-level window holding the icon view, and the last
// such window in the walk decides. Without any WorkerW, Progman itself hosts.
void* ChooseDesktopHost(const DesktopShellFacts& facts);

// The start of a rebuild, before the host is looked for: false when there is
// no device to draw with (unless rendering is stopped). The host remembered
// from the last rebuild is then forgotten: once the shell restarted it is
// dead, and housekeeping would find it so every second and rebuild and log
// again. The next display change, shell restart or resume tries again.
bool BeginRebuild(void*& host, bool renderingStopped, bool (*ensureDevice)());
// Housekeeping re-attaches when the remembered host is no longer a window.
bool HostVanished(const void* host, bool hostIsWindow);
