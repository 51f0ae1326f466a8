#include "pause/usage.h"

#include <algorithm>
#include <cstdio>

BadgePlacement PlaceBadge(const Rect& bounds, int32_t number) {
  const int64_t width = int64_t{bounds.right} - bounds.left;
  const int64_t height = int64_t{bounds.bottom} - bounds.top;
  const int64_t size = std::min(width, height) / 3;
  BadgePlacement badge;
  badge.number = number;
  badge.size = static_cast<int32_t>(size);
  badge.x = static_cast<int32_t>((int64_t{bounds.left} + bounds.right - size) / 2);
  badge.y = static_cast<int32_t>((int64_t{bounds.top} + bounds.bottom - size) / 2);
  return badge;
}

std::vector<BadgePlacement> PlanBadges(const ScreenList& screens) {
  std::vector<BadgePlacement> badges;
  int32_t number = 0;
  for (const auto& screen : screens)
    if (!screen->spanning) badges.push_back(PlaceBadge(screen->bounds, ++number));
  return badges;
}

int32_t BadgeFontHeight(int32_t clientHeight) { return -(clientHeight * 55 / 100); }

void AddUsageSample(UsageFigures& figures, uint64_t busyTime, uint64_t now, uint32_t processors,
                    uint64_t privateBytes) {
  if (figures.lastSampleTime != 0 && now > figures.lastSampleTime) {
    // The system always reports at least one processor; guard the division anyway.
    const double cpus = processors > 0 ? processors : 1;
    figures.cpuPercent = (static_cast<double>(busyTime) - static_cast<double>(figures.lastBusyTime)) * 100.0 /
                         (static_cast<double>(now - figures.lastSampleTime) * cpus);
  }
  figures.lastBusyTime = busyTime;
  figures.lastSampleTime = now;
  figures.privateBytes = privateBytes;
}

double PrivateMegabytes(uint64_t privateBytes) {
  return static_cast<double>(privateBytes) * 9.5367431640625e-7;
}

std::u16string FormatTrayTip(double cpuPercent, uint64_t privateBytes, bool paused) {
  // The numbers are ASCII; only the middle dots need UTF-16 of their own.
  char cpu[64], mb[64];
  std::snprintf(cpu, sizeof cpu, "%.1f", cpuPercent);
  std::snprintf(mb, sizeof mb, "%.0f", PrivateMegabytes(privateBytes));
  std::u16string tip = u"Lumenhollow\n";
  for (const char* c = cpu; *c; ++c) tip += static_cast<char16_t>(*c);
  tip += u"% CPU \u00B7 ";
  for (const char* c = mb; *c; ++c) tip += static_cast<char16_t>(*c);
  tip += u" MB";
  if (paused) tip += u" \u00B7 paused";
  return tip;
}
