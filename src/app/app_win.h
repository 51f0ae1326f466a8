#pragma once
#include <windows.h>

// The whole life of the process after wWinMain: the bake child, or the
// single-instance application from start-up to shutdown. Returns the exit code.
int RunLumenhollow(HINSTANCE instance, const wchar_t* commandLine);
