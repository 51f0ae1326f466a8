#pragma once
// The library bridge of this process: the entry points the rest of the
// program calls, backed by one LibraryBridge with the host app/ registers and
// the Windows file probe. Main thread only.
#include <string>
#include <vector>

#include "library/library_bridge.h"

// Makes the bridge over `host`, with the list kept by a worker thread; until
// then (and after nullptr) the bridge calls below do nothing.
void SetLibraryHost(LibraryHost* host);
// The worker has a new list or new facts (WM_APP_LIBRARY_VIEW).
void TakeLibraryView();
const FileProbe& LibraryFileProbe();

// Shorthands for the calls other parts make, with the process's settings.
MediaKind ClassifyMedia(const std::u16string& path);
bool IsUsableWallpaper(const std::u16string& path);
std::u16string DisplayNameFor(const std::u16string& path);
std::u16string FileUrl(const std::u16string& path);
void ScanLibrary();
void SendState();
void AddUserWallpapers(const std::vector<std::u16string>& paths);
void TakeBakeRecord(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path);
// `dropped` reads the files of the page's drop event; only "drop" asks it.
void HandleLibraryCommand(const std::u16string& text, const DroppedFiles& dropped = {});
// When the library window goes away its list is freed; the next "state" scans again.
void ReleaseLibraryList();
