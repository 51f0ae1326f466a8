#pragma once
// The library window, which hosts the library page.
#include <windows.h>

// Shows the library window, creating it on the monitor under the pointer.
void OpenLibraryWindow();
LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
