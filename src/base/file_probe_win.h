#pragma once
// The library's file-system questions, answered by Windows.
#include "base/file_probe.h"

class WindowsFileProbe final : public FileProbe {
 public:
  WindowsFileProbe() = default;
  WindowsFileProbe(const WindowsFileProbe&) = delete;
  WindowsFileProbe& operator=(const WindowsFileProbe&) = delete;
  ~WindowsFileProbe() override { UnwatchAll(); }

  uint32_t Attributes(const std::u16string& path) const override;
  void ListFolder(const std::u16string& folder, std::vector<std::u16string>& names) const override;
  std::u16string FileUrl(const std::u16string& path) const override;
  std::u16string NameKey(std::u16string_view name) const override;
  // Change notifications, polled without waiting.
  bool WatchFolder(const std::u16string& folder) const override;
  void UnwatchAll() const override;
  void TakeChangedFolders(std::vector<std::u16string>& folders) const override;

 private:
  mutable std::vector<void*> handles_;  // change notification handles
  mutable std::vector<std::u16string> folders_;
};
