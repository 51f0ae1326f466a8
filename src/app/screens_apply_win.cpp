#include "app/screens_apply_win.h"

#include "app/app_state_win.h"
#include "app/gpu_recovery_win.h"
#include "base/log_win.h"
#include "base/main_timers.h"
#include "base/settings_store_win.h"
#include "base/trace_win.h"
#include "desktop/desktop_host.h"
#include "desktop/desktop_host_win.h"
#include "desktop/screen_model.h"
#include "desktop/screens_win.h"
#include "library/library_host_win.h"
#include "pause/pause_win.h"
#include "render/graphics_win.h"
#include "render/renderer_factory_win.h"

namespace {

// Creates the record's surface when the rules allow; the caller learns from
// `window` whether it got one.
void ApplySurfaceRule(Screen& screen) {
  const MediaVerdict media{!screen.path.empty() && ClassifyMedia(screen.path) != MediaKind::None,
                           !screen.path.empty() && IsUsableWallpaper(screen.path)};
  const SurfacePreconditions pre{gDesktopHost != nullptr, gGraphics.device != nullptr, RenderingStopped()};
  switch (DecideSurface(screen.path, media, pre)) {
    case SurfaceAction::Create:
      CreateSurface(screen, false);
      break;
    case SurfaceAction::RefuseGpuEffects:
      LogLine(GpuEffectsOffMessage(screen.path));
      break;
    case SurfaceAction::None:
      break;
  }
}

bool AnyWindow() {
  for (const auto& s : gScreens)
    if (s->window) return true;
  return false;
}

}  // namespace

void DecidePause() { DecidePause(gScreens, gShell.userFacts, !gSavers.empty(), RenderingStopped()); }

void RebuildScreens() {
  const bool hadWindow = AnyWindow();
  DestroyAllSurfaces();
  void* host = gDesktopHost;
  const bool proceed = BeginRebuild(host, RenderingStopped(), EnsureDevice);
  gDesktopHost = static_cast<HWND>(host);
  if (!proceed) return;
  gDesktopHost = FindDesktopHost();
  GatherScreens();
  const bool spanning = SpansScreens(gSettings, gScreens);
  if (spanning) {
    Screen* span = AppendSpanRecord(gScreens, gSettings);
    ApplySurfaceRule(*span);
  } else {
    for (auto& screen : gScreens) {
      screen->path = AssignedPath(*screen, gSettings);
      ApplySurfaceRule(*screen);
    }
  }
  if (NeedsSystemWallpaperRefresh(hadWindow, gScreens, spanning)) RefreshSystemWallpaper();
  DecidePause();
  SendState();
  Timers().Arm(TIMER_TRIM, 4000);
}

void ApplyScreen(Screen& screen) {
  DestroySurface(screen);
  screen.path = AssignedPath(screen, gSettings);
  ApplySurfaceRule(screen);
}

bool CreateSurface(Screen& screen, bool saver) {
  TraceSpan span(u"surface");
  HWND window = nullptr;
  {
    TraceSpan windowSpan(u"surface-window");
    window = CreateSurfaceWindow(screen, saver);
  }
  if (!window) {
    LogLine(u"could not create a wallpaper window");
    return false;
  }
  screen.window = window;
  const int width = screen.bounds.right - screen.bounds.left;
  const int height = screen.bounds.bottom - screen.bounds.top;
  const std::u16string key = screen.spanning ? u"span" : screen.key;
  const bool ok = StartRenderer(screen, ClassifyMedia(screen.path), window, width, height, key);
  if (!ok) {
    LogLine(u"could not load " + screen.path);
    DestroySurface(screen);
  }
  return ok;
}
