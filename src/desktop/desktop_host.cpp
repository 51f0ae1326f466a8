#include "desktop/desktop_host.h"

void* ChooseDesktopHost(const DesktopShellFacts& facts) {
  if (!facts.progman) return nullptr;
  void* candidate = nullptr;
  if (facts.progmanHoldsIconView) {
    candidate = facts.progmanWorkerW;
  } else {
    for (const TopLevelWindow& w : facts.walk)
      if (w.holdsIconView) candidate = w.nextWorkerW;
  }
  return candidate ? candidate : facts.progman;
}

bool BeginRebuild(void*& host, bool renderingStopped, bool (*ensureDevice)()) {
  if (renderingStopped || ensureDevice()) return true;
  host = nullptr;
  return false;
}

bool HostVanished(const void* host, bool hostIsWindow) { return host != nullptr && !hostIsWindow; }
