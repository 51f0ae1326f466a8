#pragma once
// The library window, which hosts the library page.
#include <windows.h>

// Shows the library window, creating it on the monitor under the pointer.
void OpenLibraryWindow();
bool LibraryWindowExists();
LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
