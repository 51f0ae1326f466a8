#include "library/library_host_win.h"

#include <windows.h>

#include "app/app_state_win.h"
#include "app/frame_timer_win.h"
#include "app/main_window_win.h"
#include "app/settings_store_win.h"
#include "desktop/screens_win.h"
#include "library/file_probe_win.h"

namespace {

// Carries the bridge's requests to the parts of the shell that exist; a call
// whose owner is not built yet does nothing and says what it waits for.
class WindowsLibraryHost final : public LibraryHost {
 public:
  Settings& CurrentSettings() override { return gSettings; }
  ScreenList& Screens() override { return gScreens; }
  const std::u16string& ExeDir() override { return gApp.exeDir; }

  void SaveSettings() override { ::SaveSettings(); }
  void ArmSaveSettingsTimer() override { SetTimer(gApp.mainWindow, TIMER_SAVE_SETTINGS, 600, nullptr); }

  void RebuildScreens() override { ::RebuildScreens(); }
  // Waits for ApplyScreen of the screens and surfaces part.
  void ApplyScreen(Screen&) override {}
  void RefreshSystemWallpaper() override { ::RefreshSystemWallpaper(); }
  // Waits for the graphics device and the desktop host; until then every
  // apply takes the RebuildScreens road, which is always correct.
  bool CanApplyScreensInPlace() override { return false; }

  // Waits for the GPU reset recovery state (rendering stopped, reset count).
  void ClearRenderingStopped() override {}

  // Waits for the shell side of the pause policy (DecidePause and its facts).
  void DecidePause() override {}
  // Waits for the screensaver mode of the pause policy.
  void StartScreensaver(bool) override {}
  // Waits for the main window's "Pause all" fact.
  bool UserPaused() override { return false; }
  void SetUserPaused(bool) override {}
  // Waits for the main window's away fact.
  void ClearAway() override {}
  // Waits for the pause reason of the pause policy.
  std::u16string PauseReason() override { return {}; }
  // Waits for the usage figures of the monitor badges part.
  UsageFigures Usage() override { return {}; }
  // Waits for the monitor badges.
  void ShowMonitorBadges() override {}
  void UpdateFrameTimer() override { ::UpdateFrameTimer(); }

  // Waits for the tray's start-with-Windows value.
  bool StartsWithWindows() override { return false; }
  void SetStartWithWindows(bool) override {}

  // Waits for the bake jobs and their cancel flag.
  void StartBakeJob(const std::u16string&, int32_t) override {}
  void RequestBakeCancel() override {}

  bool TourRequested() override { return gApp.tourRequested; }
  // Waits for the library web view of the library window host.
  bool LibraryViewExists() override { return false; }
  void PostToPage(const std::u16string&) override {}
  void PostLibraryPick(int32_t picker) override {
    if (HWND window = FindWindowW(kLibraryClass, nullptr))
      PostMessageW(window, WM_APP_LIBRARY_PICK, static_cast<WPARAM>(picker), 0);
  }
};

WindowsLibraryHost gHost;
WindowsFileProbe gProbe;
LibraryBridge gBridge(gHost, gProbe);

}  // namespace

LibraryBridge& Library() { return gBridge; }
const FileProbe& LibraryFileProbe() { return gProbe; }

MediaKind ClassifyMedia(const std::u16string& path) { return ClassifyMedia(gProbe, path); }
bool IsUsableWallpaper(const std::u16string& path) { return IsUsableWallpaper(gProbe, path, gSettings.gpuEffects); }
std::u16string DisplayNameFor(const std::u16string& path) { return DisplayNameFor(gProbe, path); }
std::u16string FileUrl(const std::u16string& path) { return gProbe.FileUrl(path); }
void ScanLibrary() { gBridge.ScanLibrary(); }
void SendState() { gBridge.SendState(); }
void AddUserWallpapers(const std::vector<std::u16string>& paths) { gBridge.AddUserWallpapers(paths); }
void PostBakeMessage(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  gBridge.PostBakeMessage(kind, preset, pct, path);
}
void HandleLibraryCommand(const std::u16string& text, const DroppedFiles& dropped) {
  gBridge.HandleLibraryCommand(text, dropped);
}
void ReleaseLibraryList() { gBridge.ReleaseLibraryList(); }
