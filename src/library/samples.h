#pragma once
// The sample videos that a first run assigns to the monitors, in turn.
#include <string_view>

// The sample for the monitor at `index` in enumeration order; a fifth
// monitor gets the first sample again.
std::u16string_view SampleWallpaperName(unsigned index);
