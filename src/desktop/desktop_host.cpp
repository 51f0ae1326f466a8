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
