#include "library/library_host_win.h"

#include <windows.h>

#include "base/app_facts_win.h"
#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "bake/bake_jobs.h"
#include "desktop/rotation_win.h"
#include "desktop/screens_win.h"
#include "library/autostart.h"
#include "library/file_probe_win.h"
#include "library/library_window_win.h"
#include "pause/badges_win.h"
#include "pause/pause_win.h"
#include "pause/usage_win.h"
#include "render/graphics_win.h"
#include "render/gpu_reset_win.h"

namespace {

class NoAutostart final : public Autostart {
 public:
  bool On() override { return false; }
  void Set(bool) override {}
};

NoAutostart gNoAutostart;
Autostart* gAutostart = &gNoAutostart;

// Carries the bridge's requests to the parts of the shell that exist; a call
// whose owner is not built yet does nothing and says what it waits for.
class WindowsLibraryHost final : public LibraryHost {
 public:
  Settings& CurrentSettings() override { return gSettings; }
  ScreenList& Screens() override { return gScreens; }
  const std::u16string& ExeDir() override { return gApp.exeDir; }

  void SaveSettings() override { ::SaveSettings(); }
  void ArmSaveSettingsTimer() override { Timers().Arm(TIMER_SAVE_SETTINGS, 600); }

  void RebuildScreens() override { ::RebuildScreens(); }
  void ApplyScreen(Screen& screen) override { ::ApplyScreen(screen); }
  void RefreshSystemWallpaper() override { ::RefreshSystemWallpaper(); }
  bool CanApplyScreensInPlace() override {
    return gGraphics.device && gDesktopHost && IsWindow(gDesktopHost);
  }

  int64_t UnixNow() override { return ::UnixNow(); }
  uint32_t RandomBelow(uint32_t bound) override { return RotationRandomBelow(bound); }
  void UpdateRotations(bool advanceAll) override { ::UpdateRotations(advanceAll); }

  void ClearRenderingStopped() override { ClearGpuResetStop(); }

  void DecidePause() override { ::DecidePause(); }
  void StartScreensaver(bool preview) override { ::StartScreensaver(preview); }
  bool UserPaused() override { return gUserFacts.userPaused; }
  void SetUserPaused(bool paused) override { gUserFacts.userPaused = paused; }
  void ClearAway() override { gUserFacts.away = false; }
  std::u16string PauseReason() override { return CurrentPauseReason(); }
  UsageFigures Usage() override { return gUsage; }
  void ShowMonitorBadges() override { ::ShowMonitorBadges(); }
  void UpdateFrameTimer() override { Timers().UpdateFrameTimer(); }

  bool StartsWithWindows() override { return gAutostart->On(); }
  void SetStartWithWindows(bool on) override { gAutostart->Set(on); }

  void StartBakeJob(const std::u16string& path, int32_t preset) override { ::StartBakeJob(path, preset); }
  void RequestBakeCancel() override { gBakeCancel.exchange(1); }

  bool TourRequested() override { return gApp.tourRequested; }
  bool LibraryViewExists() override { return ::LibraryViewExists(); }
  void PostToPage(const std::u16string& json) override { PostJsonToLibraryPage(json); }
  void PostLibraryPick(int32_t picker) override { ::PostLibraryPick(picker); }
};

WindowsLibraryHost gHost;
WindowsFileProbe gProbe;
LibraryBridge gBridge(gHost, gProbe);

}  // namespace

void SetLibraryAutostart(Autostart* autostart) { gAutostart = autostart ? autostart : &gNoAutostart; }

LibraryBridge& Library() { return gBridge; }
const FileProbe& LibraryFileProbe() { return gProbe; }

MediaKind ClassifyMedia(const std::u16string& path) { return ClassifyMedia(gProbe, path); }
bool IsUsableWallpaper(const std::u16string& path) { return IsUsableWallpaper(gProbe, path, gSettings.gpuEffects); }
std::u16string DisplayNameFor(const std::u16string& path) { return DisplayNameFor(gProbe, path); }
std::u16string FileUrl(const std::u16string& path) { return gProbe.FileUrl(path); }
void ScanLibrary() { gBridge.ScanLibrary(); }
void SendState() { gBridge.SendState(); }
void AddUserWallpapers(const std::vector<std::u16string>& paths) { gBridge.AddUserWallpapers(paths); }
void TakeBakeRecord(int32_t kind, int32_t preset, int32_t pct, const std::u16string& path) {
  gBridge.TakeBakeRecord(kind, preset, pct, path);
}
void HandleLibraryCommand(const std::u16string& text, const DroppedFiles& dropped) {
  gBridge.HandleLibraryCommand(text, dropped);
}
void ReleaseLibraryList() { gBridge.ReleaseLibraryList(); }
