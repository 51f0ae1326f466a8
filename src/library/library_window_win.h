#pragma once
// The library window, which hosts the library page in a web view.
#include <windows.h>

#include <cstdint>
#include <string>

inline constexpr wchar_t kLibraryClass[] = L"LumenhollowLibrary";

// Shows the library window, creating it on the monitor under the pointer.
void OpenLibraryWindow();
bool LibraryWindowExists();
// Destroys the library window, closing its web view; at exit this comes before
// the environments, COM and Media Foundation go.
void CloseLibraryWindow();
// Opens the window's file picker (0) or folder picker (1) once the current message is handled.
void PostLibraryPick(int32_t picker);
LRESULT CALLBACK LibraryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The page's web view: messages go to it only while it exists.
bool LibraryViewExists();
void PostJsonToLibraryPage(const std::u16string& json);
