#include "library/library_facts.h"

#include <algorithm>
#include <unordered_set>

#include "base/paths.h"

namespace {

bool IsFolder(const FileProbe& probe, const std::u16string& path) {
  const uint32_t attributes = probe.Attributes(path);
  return attributes != kInvalidFileAttributes && (attributes & kAttributeDirectory);
}

// A folder item is judged by its index.html, so changes inside it matter too.
bool IsFolderItem(const FileProbe& probe, const std::u16string& path, MediaKind kind) {
  return (kind == MediaKind::Web || kind == MediaKind::None) && IsFolder(probe, path);
}

}  // namespace

void LibraryFacts::Gather(const FileProbe& probe, const std::u16string& exeDir,
                          const std::vector<LibraryItem>& items) {
  Clear(probe);
  facts_.resize(items.size());
  thumbsFolder_ = ThumbsFolder(exeDir);
  thumbsWatched_ = Watch(probe, thumbsFolder_);
  for (size_t i = 0; i < items.size(); ++i) {
    const LibraryItem& item = items[i];
    Fact& fact = facts_[i];
    fact.listedKind = item.kind;
    if (item.kind == MediaKind::Video || item.kind == MediaKind::Image) fact.url = probe.FileUrl(item.path);
    // The scan classified every item just now.
    Classify(probe, i, item, item.kind);
  }
  ListThumbs(probe, items);
}

void LibraryFacts::Clear(const FileProbe& probe) {
  if (!watched_.empty()) probe.UnwatchAll();
  watched_.clear();
  std::vector<Fact>().swap(facts_);
  thumbsFolder_.clear();
}

bool LibraryFacts::Renew(const FileProbe& probe, const std::vector<LibraryItem>& items, bool recheck) {
  if (facts_.size() != items.size()) return false;  // not gathered for this list
  std::vector<std::u16string> changedList;
  probe.TakeChangedFolders(changedList);
  std::unordered_set<std::u16string> changed(changedList.begin(), changedList.end());
  if (recheck)
    for (const auto& [folder, watched] : watched_)
      if (watched && !IsFolder(probe, folder)) changed.insert(folder);
  // Without a watch (no thumbs folder yet) the listing is the only way to see one appear.
  const bool listThumbs = (recheck && !thumbsWatched_) || changed.contains(thumbsFolder_);
  const bool askUnwatched =
      recheck && std::any_of(facts_.begin(), facts_.end(), [](const Fact& f) { return f.askAlways; });
  if (changed.empty() && !listThumbs && !askUnwatched) return false;
  // A folder that could not be watched may exist by now; a changed one is
  // watched afresh, since it may have been deleted or replaced.
  for (auto& [folder, watched] : watched_)
    if ((recheck && !watched) || changed.contains(folder)) watched = probe.WatchFolder(folder);
  thumbsWatched_ = watched_[thumbsFolder_];
  if (listThumbs) ListThumbs(probe, items);
  for (size_t i = 0; i < items.size(); ++i) {
    const std::u16string& path = items[i].path;
    if ((askUnwatched && facts_[i].askAlways) || changed.contains(path) ||
        changed.contains(std::u16string(ParentFolder(path))))
      Classify(probe, i, items[i], ClassifyMedia(probe, path));
  }
  return true;
}

void LibraryFacts::Classify(const FileProbe& probe, size_t i, const LibraryItem& item, MediaKind kind) {
  Fact& fact = facts_[i];
  fact.usable = IsUsableKind(kind, item.path, false);
  fact.usableWithGpu = IsUsableKind(kind, item.path, true);
  bool watched = Watch(probe, std::u16string(ParentFolder(item.path)));
  if (IsFolderItem(probe, item.path, kind)) watched = Watch(probe, item.path) && watched;
  fact.askAlways = !watched;
}

bool LibraryFacts::Watch(const FileProbe& probe, const std::u16string& folder) {
  const auto found = watched_.find(folder);
  if (found != watched_.end()) return found->second;
  return watched_[folder] = probe.WatchFolder(folder);
}

void LibraryFacts::ListThumbs(const FileProbe& probe, const std::vector<LibraryItem>& items) {
  if (std::none_of(items.begin(), items.end(), [](const LibraryItem& item) { return item.builtIn; })) return;
  std::vector<std::u16string> names;
  probe.ListFolder(thumbsFolder_, names);
  std::unordered_set<std::u16string> present;
  for (const std::u16string& name : names) present.insert(probe.NameKey(name));
  for (size_t i = 0; i < items.size(); ++i) {
    if (!items[i].builtIn) continue;
    const std::u16string name = ThumbnailName(items[i]);
    Fact& fact = facts_[i];
    fact.thumbFile = present.contains(probe.NameKey(name));
    if (fact.thumbFile && fact.thumbUrl.empty()) fact.thumbUrl = probe.FileUrl(thumbsFolder_ + u"\\" + name);
  }
}

std::u16string_view LibraryFacts::Thumbnail(size_t i) const {
  const Fact& fact = facts_[i];
  if (fact.thumbFile) return fact.thumbUrl;
  return fact.listedKind == MediaKind::Image ? std::u16string_view(fact.url) : std::u16string_view();
}

std::u16string_view LibraryFacts::VideoUrl(size_t i) const {
  return facts_[i].listedKind == MediaKind::Video ? std::u16string_view(facts_[i].url)
                                                  : std::u16string_view();
}
