#pragma once
// What kind of wallpaper a path is, whether it may be used and the name the
// library page shows for it: the screens, the renderers, the bake and the
// library all ask. All file-system questions go through a FileProbe.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/file_probe.h"

enum class MediaKind : int32_t { None = 0, Video = 1, Image = 2, Shader = 3, Web = 4 };

// None for a missing path, an unknown extension or a folder without index.html.
MediaKind ClassifyMedia(const FileProbe& probe, const std::u16string& path);
// Shader files and ".gif" pictures need `gpuEffects`; anything else needs a kind.
bool IsUsableWallpaper(const FileProbe& probe, const std::u16string& path, bool gpuEffects);
// The same rule for a path already classified as `kind`.
bool IsUsableKind(MediaKind kind, std::u16string_view path, bool gpuEffects);
std::u16string DisplayNameFor(const FileProbe& probe, const std::u16string& path);

// The kind's word in the page's messages: "video", ..., "?" for None.
std::u16string_view MediaKindText(MediaKind kind);
