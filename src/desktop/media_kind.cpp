#include "desktop/media_kind.h"

#include <algorithm>

#include "base/paths.h"

namespace {

struct ExtensionKind {
  std::u16string_view extension;
  MediaKind kind;
};

constexpr ExtensionKind kExtensions[] = {
    {u".mp4", MediaKind::Video},  {u".webm", MediaKind::Video}, {u".m4v", MediaKind::Video},
    {u".mov", MediaKind::Video},  {u".wmv", MediaKind::Video},  {u".mkv", MediaKind::Video},
    {u".avi", MediaKind::Video},  {u".gif", MediaKind::Image},  {u".png", MediaKind::Image},
    {u".jpg", MediaKind::Image},  {u".jpeg", MediaKind::Image}, {u".bmp", MediaKind::Image},
    {u".webp", MediaKind::Image}, {u".hlsl", MediaKind::Shader}, {u".fx", MediaKind::Shader},
    {u".html", MediaKind::Web},   {u".htm", MediaKind::Web},
};

std::u16string Lowered(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& c : out) c = AsciiLower(c);
  return out;
}

std::u16string LoweredExtension(std::u16string_view path) { return Lowered(FindExtension(path)); }

}  // namespace

MediaKind ClassifyMedia(const FileProbe& probe, const std::u16string& path) {
  const uint32_t attributes = probe.Attributes(path);
  if (attributes == kInvalidFileAttributes) return MediaKind::None;
  if (attributes & kAttributeDirectory)
    return probe.Attributes(path + u"\\index.html") != kInvalidFileAttributes ? MediaKind::Web : MediaKind::None;
  const std::u16string extension = LoweredExtension(path);
  for (const ExtensionKind& entry : kExtensions)
    if (entry.extension == extension) return entry.kind;
  return MediaKind::None;
}

bool IsUsableWallpaper(const FileProbe& probe, const std::u16string& path, bool gpuEffects) {
  return IsUsableKind(ClassifyMedia(probe, path), path, gpuEffects);
}

bool IsUsableKind(MediaKind kind, std::u16string_view path, bool gpuEffects) {
  if (kind == MediaKind::Shader) return gpuEffects;
  if (kind == MediaKind::Image && LoweredExtension(path) == u".gif") return gpuEffects;
  return kind != MediaKind::None;
}

std::u16string DisplayNameFor(const FileProbe& probe, const std::u16string& path) {
  const std::u16string_view fileName = FindFileName(path);
  std::u16string name;
  if (Lowered(fileName) == u"index.html") {
    name = FindFileName(ParentFolder(path));
  } else if (probe.Attributes(path) & kAttributeDirectory) {
    // Folders keep their dots, and so does a missing path: its attribute
    // word has every bit set.
    name = fileName;
  } else {
    name = RemoveExtension(fileName);
  }
  std::replace_if(name.begin(), name.end(), [](char16_t c) { return c == u'-' || c == u'_'; }, u' ');
  if (!name.empty()) name[0] = AsciiUpper(name[0]);
  return name;
}

std::u16string_view MediaKindText(MediaKind kind) {
  switch (kind) {
    case MediaKind::Video: return u"video";
    case MediaKind::Image: return u"image";
    case MediaKind::Shader: return u"shader";
    case MediaKind::Web: return u"web";
    default: return u"?";
  }
}
