#include "app/library_host_win.h"

#include <windows.h>

#include "app/app_state_win.h"
#include "app/autostart_win.h"
#include "app/gpu_recovery_win.h"
#include "app/rotation_win.h"
#include "app/screens_apply_win.h"
#include "app/screensaver_win.h"
#include "base/app_facts_win.h"
#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "bake/bake_jobs.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "library/library_window_win.h"
#include "pause/badges_win.h"
#include "pause/pause_win.h"
#include "pause/usage_win.h"
#include "render/graphics_win.h"

namespace {

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
  bool UserPaused() override { return gShell.userFacts.userPaused; }
  void SetUserPaused(bool paused) override { gShell.userFacts.userPaused = paused; }
  void ClearAway() override { gShell.userFacts.away = false; }
  std::u16string PauseReason() override { return CurrentPauseReason(); }
  UsageFigures Usage() override { return CurrentUsage(); }
  void ShowMonitorBadges() override { ::ShowMonitorBadges(gScreens); }
  void UpdateFrameTimer() override { Timers().UpdateFrameTimer(); }

  bool StartsWithWindows() override { return ::StartsWithWindows(); }
  void SetStartWithWindows(bool on) override { ::SetStartWithWindows(on); }

  void StartBakeJob(const std::u16string& path, int32_t preset) override { ::StartBakeJob(path, preset); }
  void RequestBakeCancel() override { gBakeCancel.exchange(1); }

  bool TourRequested() override { return gApp.tourRequested; }
  bool LibraryViewExists() override { return ::LibraryViewExists(); }
  void PostToPage(const std::u16string& json) override { PostJsonToLibraryPage(json); }
  void PostLibraryPick(int32_t picker) override { ::PostLibraryPick(picker); }
};

}  // namespace

LibraryHost& WindowsHost() {
  static WindowsLibraryHost host;
  return host;
}
