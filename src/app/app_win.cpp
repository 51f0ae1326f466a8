#include "app/app_win.h"

#include <commctrl.h>
#include <mfapi.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wtsapi32.h>

#include <utility>

#include "app/app_state_win.h"
#include "app/autostart_win.h"
#include "app/command_line.h"
#include "app/frame_timer_win.h"
#include "app/library_host_win.h"
#include "app/main_window_win.h"
#include "app/screens_apply_win.h"
#include "app/tray_win.h"
#include "base/crash_log_win.h"
#include "base/log_win.h"
#include "base/media_foundation_win.h"
#include "base/paths.h"
#include "base/settings_store_win.h"
#include "base/trace_win.h"
#include "base/wide_win.h"
#include "bake/bake_child_win.h"
#include "bake/bake_thread_win.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "library/library_window_win.h"
#include "library/samples_win.h"
#include "pause/badges_win.h"
#include "render/graphics_win.h"
#include "webview/web_environment_win.h"

namespace {

// The layers below reach the main window's timers and the rest of the program through these.
void ConnectLayers() {
  SetMainTimers(&MainWindowTimers());
  SetLibraryHost(&WindowsHost());
}

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// Returns false when another instance owns the program; it has been asked to
// open its library window.
bool TakeSingleInstance() {
  gShell.instanceMutex.reset(CreateMutexW(nullptr, TRUE, kInstanceMutex));
  if (GetLastError() != ERROR_ALREADY_EXISTS) return true;
  if (HWND first = FindWindowW(kMainClass, nullptr)) {
    // We were started by the user and may take the foreground; the first
    // instance may not unless we pass that on.
    DWORD firstPid = 0;
    GetWindowThreadProcessId(first, &firstPid);
    AllowSetForegroundWindow(firstPid);
    PostMessageW(first, WM_APP_OPEN_LIBRARY, 0, 0);
    return false;
  }
  // The first instance is starting or ending: wait for it to let go.
  const DWORD wait = WaitForSingleObject(gShell.instanceMutex.get(), 5000);
  return wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
}

// Without a roaming folder there is nowhere to keep the settings: say so once,
// in the temporary folder's log and on screen, rather than write them elsewhere.
void ReportNoDataFolder() {
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length > 0 && length <= MAX_PATH) {
    SetLogFolder(std::u16string(reinterpret_cast<const char16_t*>(temp), length - 1));
    LogLine(u"no roaming application-data folder; nothing is saved");
  }
  MessageBoxW(nullptr,
              L"Lumenhollow cannot find your roaming application-data folder, so it has nowhere to keep its "
              L"settings and will close.",
              L"Lumenhollow", MB_ICONERROR | MB_OK);
}

// False when there is no data folder; the program must not go on.
bool ComputeFolders() {
  wchar_t exe[260] = {};
  GetModuleFileNameW(nullptr, exe, 260);
  PathRemoveFileSpecW(exe);
  gApp.exeDir = U16(exe);
  PWSTR roaming = nullptr;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &roaming)))
    gApp.dataDir = DataFolderUnder(U16(roaming));
  CoTaskMemFree(roaming);
  if (gApp.dataDir.empty()) {
    ReportNoDataFolder();
    return false;
  }
  SetLogFolder(gApp.dataDir);
  RecordCrashesInLog();
  TraceStart();
  CreateDirectoryW(W(gApp.dataDir), nullptr);
  return true;
}

void CreateImagingFactory() {
  gApp.imagingFactory.Reset();
  CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&gApp.imagingFactory));
}

void LoadOrCreateSettings() {
  if (LoadSettings(gApp.dataDir + u"\\lumenhollow.ini") != SettingsStart::FirstRun) return;
  gShell.firstRun = true;
  unsigned counter = 0;
  EnumDisplayMonitors(nullptr, nullptr, AssignSampleWallpapers, reinterpret_cast<LPARAM>(&counter));
  SaveSettings();
}

void LoadIcons() {
  gShell.bigIcon.reset(
      static_cast<HICON>(LoadImageW(gApp.instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
  HICON small = nullptr;
  if (FAILED(LoadIconMetric(gApp.instance, MAKEINTRESOURCEW(1), LIM_SMALL, &small)) || !small)
    small = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));  // a copy of our own: shared icons are never destroyed
  gShell.smallIcon.reset(small);
}

void RegisterWindowClasses() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.hInstance = gApp.instance;
  const auto black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  const struct {
    const wchar_t* name;
    WNDPROC proc;
    HBRUSH background;
  } classes[] = {
      {kMainClass, MainWindowProc, nullptr},     {kSurfaceClass, SurfaceWindowProc, black},
      {kSaverClass, SaverWindowProc, black},     {kBadgeClass, BadgeWindowProc, black},
      {kLibraryClass, LibraryWindowProc, black},
  };
  for (const auto& c : classes) {
    wc.lpszClassName = c.name;
    wc.lpfnWndProc = c.proc;
    wc.hbrBackground = c.background;
    if (c.proc == LibraryWindowProc) {
      wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
      wc.hIcon = gShell.bigIcon.get();
      wc.hIconSm = gShell.smallIcon.get();
    }
    RegisterClassExW(&wc);
  }
}

void CALLBACK OnWindowEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {
  // Re-setting the timer restarts it: a burst of events gives one decision.
  Timers().Arm(TIMER_REDECIDE, 150);
}

void CreateMainWindow() {
  gShell.taskbarCreatedMsg = RegisterWindowMessageW(L"TaskbarCreated");
  gApp.mainWindow = CreateWindowExW(WS_EX_TOOLWINDOW, kMainClass, L"Lumenhollow", WS_POPUP, 0, 0, 0, 0, nullptr,
                                    nullptr, gApp.instance, nullptr);
  ChangeWindowMessageFilterEx(gApp.mainWindow, gShell.taskbarCreatedMsg, MSGFLT_ALLOW, nullptr);
  WTSRegisterSessionNotification(gApp.mainWindow, NOTIFY_FOR_THIS_SESSION);
  gShell.displayStateNotify.reset(
      RegisterPowerSettingNotification(gApp.mainWindow, &kConsoleDisplayState, DEVICE_NOTIFY_WINDOW_HANDLE));
  constexpr DWORD kHookFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
  constexpr DWORD kHookedEvents[3][2] = {{EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
                                         {EVENT_SYSTEM_MOVESIZEEND, EVENT_SYSTEM_MOVESIZEEND},
                                         {EVENT_SYSTEM_MINIMIZESTART, EVENT_SYSTEM_MINIMIZEEND}};
  for (int i = 0; i < 3; ++i)
    gShell.windowEventHooks[i].reset(
        SetWinEventHook(kHookedEvents[i][0], kHookedEvents[i][1], nullptr, OnWindowEvent, 0, 0, kHookFlags));
}

void CreateFrameTimer() {
  gShell.frameTimer.reset(
      CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS));
  if (!gShell.frameTimer) gShell.frameTimer.reset(CreateWaitableTimerW(nullptr, FALSE, nullptr));
}

template <typename F>
void Step(const char16_t* name, F step) {
  TraceSpan span(name);
  step();
}

void RunMessageLoop() {
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  gShell.lastFrameCounter = counter.QuadPart;
  for (;;) {
    const bool armed = gShell.frameTimerState.armed;
    HANDLE timer = gShell.frameTimer.get();
    const DWORD wait = MsgWaitForMultipleObjectsEx(armed ? 1 : 0, &timer, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    TraceWake();
    if (!armed) {
      // While nothing animates every wake-up resets the time base, so the
      // first frame after re-arming does not see the idle time.
      QueryPerformanceCounter(&counter);
      gShell.lastFrameCounter = counter.QuadPart;
    } else if (wait == WAIT_OBJECT_0) {
      RunFrame();
    }
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

void Shutdown() {
  // WM_DESTROY has joined the bake thread already; this is for a loop that
  // ended without it. A bake must not outlive Media Foundation.
  CancelAndJoinBake();
  // Web views are closed and released before their environments and COM go;
  // the wallpapers' went with the surfaces in WM_DESTROY.
  CloseLibraryWindow();
  // The list's worker ends on its own time, holding no folder of the user's.
  SetLibraryHost(nullptr);
  ReleaseWebViewEnvironments();
  ReleaseGraphicsAtExit();
  gApp.imagingFactory.Reset();
  ShutdownMediaFoundation();
  CoUninitialize();
  gShell.frameTimer.reset();
  gShell.displayStateNotify.reset();
  for (auto& hook : gShell.windowEventHooks) hook.reset();
  gShell.smallIcon.reset();
  gShell.bigIcon.reset();
  gShell.instanceMutex.reset();
}

}  // namespace

int RunLumenhollow(HINSTANCE instance, const wchar_t* commandLineText) {
  gApp.instance = instance;
  // The current directory (which a picker or a shortcut may set to a user's
  // folder) never joins the DLL search order.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const CommandLine commandLine = ParseCommandLine(U16(commandLineText));
  if (commandLine.bakeChild) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    MFStartup(MF_VERSION, MFSTARTUP_LITE);
    return RunBakeChild(commandLine.bakeArguments);
  }
  if (!TakeSingleInstance()) return 0;
  ConnectLayers();
  gShell.trayStart = commandLine.tray;
  gApp.tourRequested = commandLine.tour;
  if (!ComputeFolders()) return 1;
  // Media Foundation waits for the first video or bake (StartMediaFoundation).
  Step(u"com", [] { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); });
  Step(u"imaging", CreateImagingFactory);
  Step(u"settings", LoadOrCreateSettings);
  Step(u"icons", LoadIcons);
  Step(u"classes", RegisterWindowClasses);
  Step(u"main-window", CreateMainWindow);
  Step(u"frame-timer", CreateFrameTimer);
  // The wallpaper before the tray icon: nothing the user sees depends on the
  // icon being first, and the first Present comes sooner.
  Step(u"screens", RebuildScreens);
  Step(u"tray", AddTrayIcon);
  Timers().Arm(TIMER_HOUSEKEEPING, 1000);
  if (!gShell.trayStart || gShell.firstRun) Step(u"library", OpenLibraryWindow);
  RunMessageLoop();
  Shutdown();
  return 0;
}
