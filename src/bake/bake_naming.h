#pragma once
// Names, sizes and command-line fields of bake jobs: pure functions.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Low 32 bits of the 64-bit FNV-1a hash of the path's UTF-16LE bytes, as
// eight lower-case hex digits. Case matters: C:\A.jpg and c:\a.jpg differ.
std::u16string PictureKey(std::u16string_view path);

// The video size for a picture: the long side scaled to maxSide, or for 0 to
// the long side clamped to [1280, 2560]; both sides even and at least 2.
// False for an empty picture or a size beyond what can be encoded.
bool BakeSizeFor(int32_t pictureWidth, int32_t pictureHeight, int32_t maxSide, int32_t& width, int32_t& height);
inline constexpr int32_t kMaxBakeSide = 8192;

// "<folder><sep><name> - <preset name>.mp4"
std::u16string BakedFilePath(std::u16string_view folder, std::u16string_view displayName, int32_t preset,
                             char16_t separator);
// "<folder><sep><key>-<preset>.mp4"
std::u16string PreviewFilePath(std::u16string_view folder, std::u16string_view key, int32_t preset,
                               char16_t separator);
// Where a video is encoded before it replaces `finalPath`: same folder, same
// extension, so the container is chosen as for the final name.
std::u16string TemporaryVideoPath(std::u16string_view finalPath);
// "<name> (n).<ext>": where a finished bake goes when its own name cannot be
// replaced, as while that video plays as a wallpaper.
std::u16string NumberedVideoPath(std::u16string_view path, int32_t n);
// The first NumberedVideoPath from 2 up that `exists` does not find; empty
// when all of the first kMaxNumberedVideos are taken.
std::u16string NextFreeVideoPath(std::u16string_view path, const std::function<bool(const std::u16string&)>& exists);
inline constexpr int32_t kMaxNumberedVideos = 999;

// The text after "--bake ": "<preset> <size> <source>|<output>".
struct BakeChildArguments {
  int32_t preset = 0;
  int32_t size = 1280;
  std::u16string source;
  std::u16string output;
  bool hasSeparator = false;
};
BakeChildArguments ParseBakeChildArguments(std::u16string_view text);

// The error file's whole content (UTF-8, no line end).
std::string FormatEncodeError(int32_t step, int32_t result, std::u16string_view outputPath);

// Exit codes of the bake child.
inline constexpr int kExitBaked = 0;
inline constexpr int kExitBadArguments = 3;
inline constexpr int kExitUndecodable = 4;
inline constexpr int kExitEncodeFailed = 10;  // plus the failing step
