#pragma once
// The once-a-second pass of the main window: idle and screensaver, GPU health,
// the desktop host, the pause decision and the usage figures.

void Housekeeping();
