#pragma once
// Where the library window opens: centred on a work area, 1180 by 780 at 96
// DPI scaled to the DPI, never more than 92 % of the work area.
#include "desktop/screen.h"

Rect LibraryWindowRect(const Rect& workArea, int dpi);

struct Size {
  int32_t width = 0, height = 0;
};
// The smallest the library window may be made: 860 by 600 at 96 DPI, scaled.
Size LibraryMinimumSize(int dpi);
