#pragma once
#include <windows.h>

// EnumDisplayMonitors callback of a first run: assigns the next sample video,
// when it exists beside the executable, to the monitor's GDI device name.
// `data` points to an unsigned counter that the caller sets to 0.
BOOL CALLBACK AssignSampleWallpapers(HMONITOR monitor, HDC, LPRECT, LPARAM data);
