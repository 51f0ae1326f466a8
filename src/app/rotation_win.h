#pragma once
// Rotations carried out on the screens list. Main thread only.
#include <cstdint>

int64_t UnixNow();
uint32_t RotationRandomBelow(uint32_t bound);

// Paused screens' rotations hold their time; due ones (every one with
// `advanceAll`, the tray's "Next wallpaper") change wallpaper; then the one
// rotation timer is armed for the earliest next change, or stopped.
void UpdateRotations(bool advanceAll);
