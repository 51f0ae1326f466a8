#include "library/library_host_win.h"

#include <optional>

#include "base/app_facts_win.h"
#include "base/file_probe_win.h"
#include "base/settings_store_win.h"
#include "library/library_worker.h"

namespace {

WindowsFileProbe gProbe;  // this thread's: the paths the user picks, drops or bakes
std::optional<LibraryWorker> gWorker;
std::optional<LibraryBridge> gBridge;

}  // namespace

void SetLibraryHost(LibraryHost* host) {
  gBridge.reset();
  gWorker.reset();
  if (!host) return;
  gWorker.emplace(std::make_unique<WindowsFileProbe>(),
                  [] { PostMessageW(gApp.mainWindow, WM_APP_LIBRARY_VIEW, 0, 0); });
  gBridge.emplace(*host, gProbe, &*gWorker);
}

void TakeLibraryView() {
  if (gBridge) gBridge->TakeNewView();
}

const FileProbe& LibraryFileProbe() { return gProbe; }

MediaKind ClassifyMedia(const std::u16string& path) { return ClassifyMedia(gProbe, path); }
bool IsUsableWallpaper(const std::u16string& path) {
  return IsUsableWallpaper(gProbe, path, gSettings.gpuEffects);
}
std::u16string DisplayNameFor(const std::u16string& path) { return DisplayNameFor(gProbe, path); }
std::u16string FileUrl(const std::u16string& path) { return gProbe.FileUrl(path); }
void ScanLibrary() {
  if (gBridge) gBridge->ScanLibrary();
}
void SendState() {
  if (gBridge) gBridge->SendState();
}
void AddUserWallpapers(const std::vector<std::u16string>& paths) {
  if (gBridge) gBridge->AddUserWallpapers(paths);
}
void TakeBakeRecord(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  if (gBridge) gBridge->TakeBakeRecord(kind, preset, pct, path);
}
void HandleLibraryCommand(const std::u16string& text, const DroppedFiles& dropped) {
  if (gBridge) gBridge->HandleLibraryCommand(text, dropped);
}
void ReleaseLibraryList() {
  if (gBridge) gBridge->ReleaseLibraryList();
}
