#include "library/library_bridge.h"

#include <algorithm>

void LibraryBridge::ScanLibrary() {
  // Without the page nobody reads the list, and the watches on its folders
  // would keep the user from renaming them or ejecting their drive.
  if (!host_.LibraryViewExists()) {
    ReleaseLibraryList();
    return;
  }
  items_ = ::ScanLibrary(probe_, host_.ExeDir(), host_.CurrentSettings().userList);
  facts_.Gather(probe_, host_.ExeDir(), items_);
}

void LibraryBridge::ReleaseLibraryList() {
  std::vector<LibraryItem>().swap(items_);
  facts_.Clear(probe_);
}

void LibraryBridge::Post(const std::u16string& json) {
  if (host_.LibraryViewExists()) host_.PostToPage(json);
}

StateSnapshot LibraryBridge::TakeSnapshot() {
  const Settings& settings = host_.CurrentSettings();
  StateSnapshot snap;
  snap.settings = &settings;
  snap.screens = &host_.Screens();
  facts_.Renew(probe_, items_);
  snap.items.reserve(items_.size());
  for (size_t i = 0; i < items_.size(); ++i)
    snap.items.push_back(
        {&items_[i], facts_.Usable(i, settings.gpuEffects), facts_.Thumbnail(i), facts_.VideoUrl(i)});
  snap.startWithWindows = host_.StartsWithWindows();
  const UsageFigures usage = host_.Usage();
  snap.cpuPercent = usage.cpuPercent;
  snap.privateBytes = usage.privateBytes;
  snap.userPaused = host_.UserPaused();
  snap.pauseReason = host_.PauseReason();
  return snap;
}

void LibraryBridge::SendState() {
  if (!host_.LibraryViewExists()) return;
  if (items_.empty()) ScanLibrary();
  host_.PostToPage(BuildStateMessage(TakeSnapshot()));
}

void LibraryBridge::AddUserWallpapers(const std::vector<std::u16string>& paths) {
  Settings& settings = host_.CurrentSettings();
  std::vector<std::u16string> added;
  for (const std::u16string& path : paths) {
    if (!IsUsableWallpaper(probe_, path, settings.gpuEffects)) continue;
    auto& list = settings.userList;
    if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
    added.push_back(path);
  }
  host_.SaveSettings();
  ScanLibrary();
  SendState();
  Post(BuildAddedMessage(added));
}

void LibraryBridge::TakeBakeRecord(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  if (kind == 2) {
    auto& list = host_.CurrentSettings().userList;
    if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
    host_.SaveSettings();
    ScanLibrary();
    SendState();
  }
  PostBakeMessage(kind, preset, pct, path);
}

void LibraryBridge::PostBakeMessage(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  if (!host_.LibraryViewExists()) return;
  const std::u16string url = path.empty() ? std::u16string() : probe_.FileUrl(path);
  host_.PostToPage(BuildBakeMessage(kind, preset, pct, path, url));
}
