#pragma once
// The library's file-system questions, answered by Windows.
#include "library/file_probe.h"

class WindowsFileProbe final : public FileProbe {
 public:
  uint32_t Attributes(const std::u16string& path) const override;
  void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override;
  std::u16string FileUrl(const std::u16string& path) const override;
};
