#pragma once
// The arithmetic of the monitor badges and of the usage figures shown in the
// tray tooltip and the library page.
#include <cstdint>
#include <string>
#include <vector>

#include "desktop/screen.h"

struct BadgePlacement {
  int32_t number = 0;  // 1-based position among the monitor records
  int32_t x = 0, y = 0, size = 0;
};

// A square a third of the monitor's shorter side, centred on it.
BadgePlacement PlaceBadge(const Rect& bounds, int32_t number);

// One badge per monitor record in list order; the spanning record gets none.
std::vector<BadgePlacement> PlanBadges(const ScreenList& screens);

// The negative (character-height) font height for a badge client height:
// 55 % of it.
int32_t BadgeFontHeight(int32_t clientHeight);

struct UsageFigures {
  double cpuPercent = 0.0;  // 0 until two samples exist
  uint64_t privateBytes = 0;
  uint64_t lastBusyTime = 0;    // kernel + user time, 100 ns units
  uint64_t lastSampleTime = 0;  // system time, 100 ns units; 0 before the first sample
};

// Takes one sample: busy and now in 100 ns units. The CPU share is over all
// processors and is only recomputed when the clock moved forward.
void AddUsageSample(UsageFigures& figures, uint64_t busyTime, uint64_t now, uint32_t processors,
                    uint64_t privateBytes);

double PrivateMegabytes(uint64_t privateBytes);

// "Lumenhollow", a line break, then "1.2% CPU · 50 MB" and " · paused" while a
// pause reason holds.
std::u16string FormatTrayTip(double cpuPercent, uint64_t privateBytes, bool paused);
