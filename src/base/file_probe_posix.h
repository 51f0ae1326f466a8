#pragma once
// A FileProbe over a POSIX file system, for native tests and benchmarks on
// real folders. Paths are written the Windows way ("\" between components) and
// every "\" becomes "/" on the way to the system, so "\tmp\x\clip.mp4" is
// /tmp/x/clip.mp4.
#include <map>

#include "base/file_probe.h"

class PosixFileProbe final : public FileProbe {
 public:
  PosixFileProbe() = default;
  PosixFileProbe(const PosixFileProbe&) = delete;
  PosixFileProbe& operator=(const PosixFileProbe&) = delete;
  ~PosixFileProbe() override { UnwatchAll(); }

  uint32_t Attributes(const std::u16string& path) const override;
  void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override;
  // "file://" and the path with "/" separators (a stand-in for the shell's URL).
  std::u16string FileUrl(const std::u16string& path) const override;
  // Watches with inotify.
  bool WatchFolder(const std::u16string& folder) const override;
  void UnwatchAll() const override;
  void TakeChangedFolders(std::vector<std::u16string>& folders) const override;

 private:
  mutable int notify_ = -1;
  mutable std::map<int, std::vector<std::u16string>> watched_;  // one folder may be given in two spellings
};

// The Windows-style spelling of a POSIX path, as PosixFileProbe reads it.
std::u16string WindowsStylePath(const std::string& posixPath);
