#pragma once
#include <windows.h>

// The shell window behind the desktop icons that parents the surfaces: the
// wallpaper WorkerW when the shell made one, else Progman; null without a
// desktop shell.
HWND FindDesktopHost();
