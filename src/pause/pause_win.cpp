#include "pause/pause_win.h"

#include <windows.h>
#include <dwmapi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "desktop/screen.h"
#include "pause/pause_policy.h"

namespace {

std::u16string gPauseReason;

std::u16string ClassName(HWND window) {
  wchar_t name[65] = {};
  GetClassNameW(window, name, 65);
  return U16(name);
}

bool OwnedByUs(HWND window) {
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  return pid == GetCurrentProcessId();
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK GatherWindow(HWND window, LPARAM data) {
  auto& windows = *reinterpret_cast<std::vector<WindowFacts>*>(data);
  WindowFacts w;
  w.visible = IsWindowVisible(window);
  w.minimized = IsIconic(window);
  w.className = ClassName(window);
  w.ownProcess = OwnedByUs(window);
  w.exStyle = static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE));
  DWORD cloaked = 0;
  w.cloaked = SUCCEEDED(DwmGetWindowAttribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked;
  // Rectangles only for windows that pass the cheap filters.
  if (CanCoverDesktop(w)) {
    RECT r{};
    if (FAILED(DwmGetWindowAttribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &r, sizeof r))) GetWindowRect(window, &r);
    w.rect = ToRect(r);
    w.maximized = IsZoomed(window);
    if (w.maximized) w.monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  }
  windows.push_back(std::move(w));
  return TRUE;
}

ForegroundFacts GatherForeground() {
  ForegroundFacts f;
  HWND window = GetForegroundWindow();
  if (!window) return f;
  f.exists = true;
  f.className = ClassName(window);
  f.ownProcess = OwnedByUs(window);
  RECT r{};
  GetWindowRect(window, &r);
  f.rect = ToRect(r);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  f.monitorKnown = GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  f.monitorRect = ToRect(info.rcMonitor);
  return f;
}

std::u16string ProcessFileName(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (!process) return {};
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  const bool ok = QueryFullProcessImageNameW(process, 0, path, &size);
  CloseHandle(process);
  return ok ? std::u16string(ProgramFileName(U16(path))) : std::u16string();
}

// One snapshot of the process list per pass, and only when a rule asks.
ProgramFacts GatherPrograms(const RuleNeeds& needs) {
  ProgramFacts programs;
  if (needs.running) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot != INVALID_HANDLE_VALUE) {
      PROCESSENTRY32W entry{};
      entry.dwSize = sizeof entry;
      for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        programs.running.push_back(U16(entry.szExeFile));
      CloseHandle(snapshot);
    }
  }
  if (needs.foreground) {
    DWORD pid = 0;
    if (HWND window = GetForegroundWindow()) GetWindowThreadProcessId(window, &pid);
    if (pid != 0) programs.foreground = ProcessFileName(pid);
  }
  return programs;
}

PauseFacts GatherPauseFacts(const UserPauseFacts& user, bool saverRunning, bool renderingStopped) {
  PauseFacts facts;
  TakePauseSettings(gSettings, facts);
  facts.renderingStopped = renderingStopped;
  facts.saverRunning = saverRunning;
  facts.userPaused = user.userPaused;
  facts.away = user.away;
  facts.locked = user.locked;
  facts.displayOff = user.displayOff;
  if (facts.pauseBattery) {
    SYSTEM_POWER_STATUS power{};
    facts.powerStatusKnown = GetSystemPowerStatus(&power);
    facts.acLineStatus = power.ACLineStatus;
  }
  if (facts.pauseFullscreen) {
    QUERY_USER_NOTIFICATION_STATE state = QUNS_ACCEPTS_NOTIFICATIONS;
    facts.notificationStateKnown = SUCCEEDED(SHQueryUserNotificationState(&state));
    facts.notificationState = state;
    facts.foreground = GatherForeground();
  }
  if (facts.pauseCovered) EnumWindows(GatherWindow, reinterpret_cast<LPARAM>(&facts.windows));
  facts.programs = GatherPrograms(NeedsOfRules(facts.rules));
  return facts;
}

}  // namespace

const std::u16string& CurrentPauseReason() { return gPauseReason; }

bool DecidePause(ScreenList& screens, const UserPauseFacts& user, bool saverRunning, bool renderingStopped) {
  const PauseDecision decision = DecidePause(GatherPauseFacts(user, saverRunning, renderingStopped), screens);
  std::u16string reason = PauseReasonLine(decision);
  if (reason != gPauseReason) TracePauseReason(reason);
  gPauseReason = std::move(reason);
  const bool changed = ApplyPauseDecision(screens, decision);
  Timers().UpdateFrameTimer();
  if (changed) Timers().Arm(TIMER_TRIM, 2000);
  return decision.release;
}
