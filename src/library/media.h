#pragma once
// What kind of wallpaper a path is, whether it may be used, the name the
// library page shows for it, and the library list. All file-system questions
// go through a FileProbe; nothing here is cached (library_facts.h keeps what
// the "state" message needs).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "library/file_probe.h"

enum class MediaKind : int32_t { None = 0, Video = 1, Image = 2, Shader = 3, Web = 4 };

struct LibraryItem {
  std::u16string name;  // display name
  std::u16string path;  // as found in the wallpapers folder or as the user added it
  MediaKind kind = MediaKind::None;
  bool builtIn = false;  // found beside the executable, not in the user list
};

// None for a missing path, an unknown extension or a folder without index.html.
MediaKind ClassifyMedia(const FileProbe& probe, const std::u16string& path);
// Shader files and ".gif" pictures need `gpuEffects`; anything else needs a kind.
bool IsUsableWallpaper(const FileProbe& probe, const std::u16string& path, bool gpuEffects);
// The same rule for a path already classified as `kind`.
bool IsUsableKind(MediaKind kind, std::u16string_view path, bool gpuEffects);
std::u16string DisplayNameFor(const FileProbe& probe, const std::u16string& path);

// The kind's word in the page's messages: "video", ..., "?" for None.
std::u16string_view MediaKindText(MediaKind kind);

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
