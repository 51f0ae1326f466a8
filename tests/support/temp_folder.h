#pragma once
// A real temporary folder, removed with everything in it at the end. Paths
// handed to the core are spelt the Windows way (see PosixFileProbe).
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "base/text.h"
#include "base/file_probe_posix.h"

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = "/tmp/lh-library-XXXXXX";
    if (mkdtemp(pattern.data())) root_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!root_.empty()) std::filesystem::remove_all(root_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // The Windows-style path of `relative` ("a/b" or "a\\b") inside the folder.
  std::u16string Path(const std::string& relative = "") const {
    std::u16string path = WindowsStylePath(root_);
    if (!relative.empty()) path += u"\\" + WindowsStylePath(relative);
    return path;
  }
  void File(const std::string& relative) const {
    std::filesystem::create_directories(std::filesystem::path(root_ + "/" + relative).parent_path());
    std::ofstream(root_ + "/" + relative) << "x";
  }
  void Folder(const std::string& relative) const { std::filesystem::create_directories(root_ + "/" + relative); }
  void Remove(const std::string& relative) const { std::filesystem::remove_all(root_ + "/" + relative); }
  void Rename(const std::string& from, const std::string& to) const {
    std::filesystem::rename(root_ + "/" + from, root_ + "/" + to);
  }

 private:
  std::string root_;
};
