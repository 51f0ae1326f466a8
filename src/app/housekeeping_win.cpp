#include "app/housekeeping_win.h"

#include <windows.h>
#include <shellapi.h>

#include "app/app_state_win.h"
#include "app/gpu_recovery_win.h"
#include "app/rotation_win.h"
#include "app/screens_apply_win.h"
#include "app/screensaver_win.h"
#include "app/tray_win.h"
#include "base/log_win.h"
#include "base/settings_store_win.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "library/library_window_win.h"
#include "pause/pause_policy.h"
#include "pause/pause_win.h"
#include "pause/saver.h"
#include "pause/usage.h"
#include "pause/usage_win.h"
#include "render/graphics_win.h"

namespace {

bool ShellIsBusy() {
  QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;  // a failed call counts as not busy
  SHQueryUserNotificationState(&state);
  return IsBusyNotificationState(true, state);
}

}  // namespace

void Housekeeping() {
  CheckDeviceRemoved();
  LASTINPUTINFO input{sizeof input, 0};
  GetLastInputInfo(&input);
  const SaverBar bar = GatherSaverBar();
  IdleFacts idle{IdleMilliseconds(GetTickCount(), input.dwTime), ScreensaverRunning(), bar.locked,
                 gShell.userFacts.userPaused, false, bar.displayOff, bar.onBattery};
  IdleVerdict verdict = JudgeIdle(gSettings, idle);
  if (verdict.away != gShell.userFacts.away) {
    gShell.userFacts.away = verdict.away;
    DecidePause();
  }
  // The notification state is only worth asking when the saver would start.
  if (verdict.startSaver) {
    idle.busy = ShellIsBusy();
    if (JudgeIdle(gSettings, idle).startSaver) StartScreensaver(false);
  }
  if (gDeviceLost) HandleGpuReset();
  if (DesktopVanished()) {
    LogLine(u"explorer restarted or desktop changed; re-attaching");
    DestroyAllSurfaces();
    RebuildScreens();
  }
  DecidePause();
  UpdateRotations(false);
  UpdateUsageFigures();
  const UsageFigures& usage = CurrentUsage();
  SetTrayTip(FormatTrayTip(usage.cpuPercent, usage.privateBytes, !CurrentPauseReason().empty()));
  if (LibraryWindowExists()) SendState();
  if (gShell.trim.TakeIfDue(GetTickCount()))
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}
