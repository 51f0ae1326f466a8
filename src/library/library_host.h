#pragma once
// Everything the library bridge needs from the rest of the program, in one
// place: the shared records it reads and writes, and every call it makes into
// the screens, the pause policy, the tray, the bake jobs and the library
// window. app/library_host_win.cpp implements it for Windows; tests
// record the calls. All calls come on the main thread.
#include <cstdint>
#include <string>

#include "base/settings.h"
#include "desktop/screen.h"
#include "pause/usage.h"


class LibraryHost {
 public:
  virtual ~LibraryHost() = default;

  // Shared records.
  virtual Settings& CurrentSettings() = 0;
  virtual ScreenList& Screens() = 0;  // monitors in order, the spanning record last
  virtual const std::u16string& ExeDir() = 0;

  // Settings file.
  virtual void SaveSettings() = 0;
  // (Re)starts the 600 ms one-shot timer whose end saves the settings.
  virtual void ArmSaveSettingsTimer() = 0;

  // Screens and surfaces.
  virtual void RebuildScreens() = 0;  // ends by sending "state" itself
  virtual void ApplyScreen(Screen& screen) = 0;
  virtual void RefreshSystemWallpaper() = 0;
  // A graphics device exists and the desktop host is still a window, so one
  // screen can be redone without rebuilding them all.
  virtual bool CanApplyScreensInPlace() = 0;

  // Rotations: the clock (seconds since 1970), random numbers for shuffling,
  // and the pass that changes due wallpapers (all of them with `advanceAll`)
  // and arms the timer for the next change.
  virtual int64_t UnixNow() = 0;
  virtual uint32_t RandomBelow(uint32_t bound) = 0;
  virtual void UpdateRotations(bool advanceAll) = 0;

  // GPU reset recovery: clears "rendering stopped" and the reset count.
  virtual void ClearRenderingStopped() = 0;

  // Pause policy and status.
  virtual void DecidePause() = 0;
  virtual void StartScreensaver(bool preview) = 0;
  virtual bool UserPaused() = 0;
  virtual void SetUserPaused(bool paused) = 0;
  virtual void ClearAway() = 0;
  virtual std::u16string PauseReason() = 0;  // empty when nothing is paused
  virtual UsageFigures Usage() = 0;
  virtual void ShowMonitorBadges() = 0;
  virtual void UpdateFrameTimer() = 0;

  // Start with Windows: the Run value, read afresh each time.
  virtual bool StartsWithWindows() = 0;
  virtual void SetStartWithWindows(bool on) = 0;

  // Bake jobs: preset 0 to 10 bakes, -1 makes the previews of every preset.
  virtual void StartBakeJob(const std::u16string& path, int32_t preset) = 0;
  virtual void RequestBakeCancel() = 0;  // sets the bake cancel flag

  // The library window and its page.
  virtual bool TourRequested() = 0;
  virtual bool LibraryViewExists() = 0;
  virtual void PostToPage(const std::u16string& json) = 0;
  // Opens the library window's file picker (0) or folder picker (1).
  virtual void PostLibraryPick(int32_t picker) = 0;
};
