#pragma once
// The library window, which hosts the library page in a web view.
#include <windows.h>

#include <string>

// Shows the library window, creating it on the monitor under the pointer.
void OpenLibraryWindow();
bool LibraryWindowExists();
HWND LibraryWindowHandle();  // null while there is no library window
LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The page's web view: messages go to it only while it exists.
bool LibraryViewExists();
void PostJsonToLibraryPage(const std::u16string& json);
