#include "library/library_bridge.h"

#include <algorithm>

void LibraryBridge::ScanLibrary() {
  // Without the page nobody reads the list, and the watches on its folders
  // would keep the user from renaming them or ejecting their drive.
  if (!host_.LibraryViewExists()) {
    ReleaseLibraryList();
    return;
  }
  scanAsked_ = source_.Scan(host_.ExeDir(), host_.CurrentSettings().userList);
}

void LibraryBridge::ReleaseLibraryList() {
  source_.Release();
  view_.reset();
  scanAsked_ = 0;
  waiting_.clear();
}

const std::vector<LibraryItem>& LibraryBridge::Items() const {
  static const std::vector<LibraryItem> kNone;
  return view_ ? view_->items : kNone;
}

void LibraryBridge::Post(const std::u16string& json) {
  if (!host_.LibraryViewExists()) return;
  // Nothing overtakes a message that waits for its list.
  if (waiting_.empty())
    host_.PostToPage(json);
  else
    waiting_.push_back(json);
}

void LibraryBridge::PostAfterScan(std::u16string json) {
  if (!host_.LibraryViewExists()) return;
  waiting_.push_back(std::move(json));
  PostWaiting();
}

void LibraryBridge::PostWaiting() {
  if (waiting_.empty() || !view_ || view_->scan < scanAsked_) return;
  for (const std::u16string& json : waiting_) host_.PostToPage(json);
  waiting_.clear();
}

StateSnapshot LibraryBridge::TakeSnapshot() {
  const Settings& settings = host_.CurrentSettings();
  StateSnapshot snap;
  snap.settings = &settings;
  snap.screens = &host_.Screens();
  view_ = source_.Latest();
  if (view_) {
    snap.items.reserve(view_->items.size());
    for (size_t i = 0; i < view_->items.size(); ++i) {
      const ItemFacts& facts = view_->facts[i];
      snap.items.push_back({&view_->items[i], settings.gpuEffects ? facts.usableWithGpu : facts.usable,
                            facts.thumb, facts.url});
    }
  }
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
  if (scanAsked_ == 0) ScanLibrary();
  const StateSnapshot snap = TakeSnapshot();
  // Rather than an empty library, the page shows nothing until the first list
  // is there; TakeNewView sends it.
  if (!view_) return;
  host_.PostToPage(BuildStateMessage(snap));
  PostWaiting();
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
  PostAfterScan(BuildAddedMessage(added));
}

void LibraryBridge::TakeBakeRecord(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  if (kind != 2) return PostBakeMessage(kind, preset, pct, path);
  auto& list = host_.CurrentSettings().userList;
  if (std::find(list.begin(), list.end(), path) == list.end()) list.push_back(path);
  host_.SaveSettings();
  ScanLibrary();
  SendState();
  // The page shows the new video when it says so, so its list must have it.
  PostAfterScan(BakeMessage(kind, preset, pct, path));
}

void LibraryBridge::PostBakeMessage(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  Post(BakeMessage(kind, preset, pct, path));
}

std::u16string LibraryBridge::BakeMessage(int32_t kind, int32_t preset, int32_t pct,
                                          const std::u16string& path) {
  const std::u16string url = path.empty() ? std::u16string() : probe_.FileUrl(path);
  return BuildBakeMessage(kind, preset, pct, path, url);
}
