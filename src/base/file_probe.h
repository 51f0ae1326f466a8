#pragma once
// The file-system questions asked about wallpapers. The Windows shell answers
// them with GetFileAttributesW, FindFirstFileW and UrlCreateFromPathW; native tests
// answer them from real folders (file_probe_posix.h). The watch calls let the
// library keep what it learnt until a folder's entries change.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Raw attribute words, as GetFileAttributesW returns them. A failed query has
// every bit set, the directory bit included, and callers rely on that.
inline constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;
inline constexpr uint32_t kAttributeDirectory = 0x10u;
inline constexpr uint32_t kAttributeNormal = 0x80u;

class FileProbe {
 public:
  virtual ~FileProbe() = default;
  // The attribute word of a file or folder, kInvalidFileAttributes when there is none.
  virtual uint32_t Attributes(const std::u16string& path) const = 0;
  // Appends the entry names of `folder` (its "\*" listing, "." and ".." included)
  // in the order the system gives them; appends nothing when it cannot be read.
  virtual void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const = 0;
  // The file URL of a local path, empty when it cannot be made.
  virtual std::u16string FileUrl(const std::u16string& path) const = 0;
  // The form under which the file system tells entry names apart: Windows
  // ignores case, so names are compared in upper case there.
  virtual std::u16string NameKey(std::u16string_view name) const { return std::u16string(name); }

  // Starts reporting entries added, removed or renamed directly in `folder`,
  // afresh when it was watched already; false when it cannot be watched
  // (missing, not on a fixed local drive, or no notifications here).
  virtual bool WatchFolder(const std::u16string&) const { return false; }
  virtual void UnwatchAll() const {}
  // Appends the watched folders whose entries changed since the last call,
  // spelt as they were given to WatchFolder.
  virtual void TakeChangedFolders(std::vector<std::u16string>&) const {}
};
