#pragma once
// The library list: the built-in wallpapers and the user's own, with their
// thumbnails. Nothing here is cached (library_facts.h keeps what the "state"
// message needs).
#include <string>
#include <vector>

#include "desktop/media_kind.h"

struct LibraryItem {
  std::u16string name;  // display name
  std::u16string path;  // as found in the wallpapers folder or as the user added it
  MediaKind kind = MediaKind::None;
  bool builtIn = false;  // found beside the executable, not in the user list
};

// The built-in items of exeDir\wallpapers sorted by name, then one item per
// user-list path in list order, whatever its kind.
std::vector<LibraryItem> ScanLibrary(const FileProbe& probe, const std::u16string& exeDir,
                                     const std::vector<std::u16string>& userList);

// A built-in item's picture in wallpapers\thumbs when there is one, else a
// picture's own URL; empty otherwise.
std::u16string ThumbnailUrlFor(const FileProbe& probe, const std::u16string& exeDir, const LibraryItem& item);
// exeDir\wallpapers\thumbs, and the name a built-in item's thumbnail has there.
std::u16string ThumbsFolder(const std::u16string& exeDir);
std::u16string ThumbnailName(const LibraryItem& item);
