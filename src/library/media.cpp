#include "library/media.h"

#include <algorithm>

#include "base/paths.h"

namespace {

std::u16string WallpapersFolder(const std::u16string& exeDir) { return exeDir + u"\\wallpapers"; }

}  // namespace

std::vector<LibraryItem> ScanLibrary(const FileProbe& probe, const std::u16string& exeDir,
                                     const std::vector<std::u16string>& userList) {
  std::vector<LibraryItem> items;
  const std::u16string folder = WallpapersFolder(exeDir);
  std::vector<std::u16string> names;
  probe.ListFolder(folder, names);
  for (const std::u16string& entry : names) {
    if (entry.empty() || entry[0] == u'.') continue;
    std::u16string path = folder + u"\\" + entry;
    const MediaKind kind = ClassifyMedia(probe, path);
    if (kind == MediaKind::None) continue;
    items.push_back({DisplayNameFor(probe, path), std::move(path), kind, true});
  }
  std::sort(items.begin(), items.end(),
            [](const LibraryItem& a, const LibraryItem& b) { return a.name < b.name; });
  for (const std::u16string& path : userList)
    items.push_back({DisplayNameFor(probe, path), path, ClassifyMedia(probe, path), false});
  return items;
}

std::u16string ThumbsFolder(const std::u16string& exeDir) { return WallpapersFolder(exeDir) + u"\\thumbs"; }

std::u16string ThumbnailName(const LibraryItem& item) { return std::u16string(FindFileName(item.path)) + u".jpg"; }

std::u16string ThumbnailUrlFor(const FileProbe& probe, const std::u16string& exeDir, const LibraryItem& item) {
  if (item.builtIn) {
    const std::u16string thumb = ThumbsFolder(exeDir) + u"\\" + ThumbnailName(item);
    if (probe.Attributes(thumb) != kInvalidFileAttributes) return probe.FileUrl(thumb);
  }
  return item.kind == MediaKind::Image ? probe.FileUrl(item.path) : std::u16string();
}
