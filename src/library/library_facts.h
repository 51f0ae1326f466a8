#pragma once
// What the "state" message says about each library item ("ok", "thumb",
// "url"), learnt when the list is built and renewed only for the folders the
// probe reports as changed. A recheck also asks about the items whose folder
// cannot be watched, and whether each watched folder is still there: a folder
// moved away (the Recycle Bin's "delete") is not reported by its own watch.
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "base/file_probe.h"
#include "library/media.h"

class LibraryFacts {
 public:
  // Learns about `items` as the scan just classified them: one listing of
  // the thumbs folder, the file URLs, and a watch on every folder involved.
  void Gather(const FileProbe& probe, const std::u16string& exeDir, const std::vector<LibraryItem>& items);
  // Forgets everything and stops watching.
  void Clear(const FileProbe& probe);
  // Asks again about the items whose folders changed since the last call, and
  // with `recheck` about the unwatched ones and the watched folders' presence.
  // False when nothing was asked, so nothing can have changed.
  bool Renew(const FileProbe& probe, const std::vector<LibraryItem>& items, bool recheck);

  size_t size() const { return facts_.size(); }
  bool Usable(size_t i, bool gpuEffects) const {
    return gpuEffects ? facts_[i].usableWithGpu : facts_[i].usable;
  }
  // ThumbnailUrlFor and the "url" of item i; valid until the next Gather, Renew or Clear.
  std::u16string_view Thumbnail(size_t i) const;
  std::u16string_view VideoUrl(size_t i) const;

 private:
  struct Fact {
    bool usable = false;
    bool usableWithGpu = false;
    bool thumbFile = false;  // a built-in item's picture in the thumbs folder
    bool askAlways = false;  // a folder it depends on cannot be watched
    MediaKind listedKind = MediaKind::None;
    std::u16string url;       // FileUrl of the path, for pictures and videos
    std::u16string thumbUrl;  // FileUrl of the thumbnail file, made when one is seen
  };

  void Classify(const FileProbe& probe, size_t i, const LibraryItem& item, MediaKind kind);
  bool Watch(const FileProbe& probe, const std::u16string& folder);
  void ListThumbs(const FileProbe& probe, const std::vector<LibraryItem>& items);

  std::vector<Fact> facts_;
  std::u16string thumbsFolder_;
  bool thumbsWatched_ = false;
  std::unordered_map<std::u16string, bool> watched_;  // folder -> changes are reported
};
