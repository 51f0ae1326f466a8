#include "desktop/screen_model.h"

#include <algorithm>

namespace {

bool IsEmpty(const Rect& r) { return r.right <= r.left || r.bottom <= r.top; }

}  // namespace

void SortScreens(ScreenList& screens) {
  std::stable_sort(screens.begin(), screens.end(), [](const auto& a, const auto& b) {
    if (a->bounds.left != b->bounds.left) return a->bounds.left < b->bounds.left;
    return a->bounds.top < b->bounds.top;
  });
}

Rect UnionRect(const Rect& a, const Rect& b) {
  if (IsEmpty(a)) return IsEmpty(b) ? Rect{} : b;
  if (IsEmpty(b)) return a;
  return Rect{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
}

Rect SpanBounds(const ScreenList& screens) {
  if (screens.empty()) return Rect{};
  Rect bounds = screens.front()->bounds;
  for (const auto& screen : screens) bounds = UnionRect(bounds, screen->bounds);
  return bounds;
}

bool IsSpanMode(const Settings& settings) { return settings.mode == u"span"; }

Screen* AppendSpanRecord(ScreenList& screens, const Settings& settings) {
  if (screens.empty()) return nullptr;
  auto span = std::make_unique<Screen>();
  span->spanning = true;
  span->key = u"span";
  span->bounds = SpanBounds(screens);
  span->workArea = span->bounds;
  span->path = settings.span;
  screens.push_back(std::move(span));
  return screens.back().get();
}

std::u16string StableScreenKey(bool interfaceQueryOk, std::u16string_view deviceInterface,
                               std::u16string_view gdiName) {
  return std::u16string(interfaceQueryOk && !deviceInterface.empty() ? deviceInterface : gdiName);
}

bool MigrateScreenKey(AssignmentMap& assignments, const std::u16string& key, const std::u16string& gdiName) {
  if (key == gdiName || assignments.contains(key)) return false;
  auto old = assignments.find(gdiName);
  if (old == assignments.end()) return false;
  assignments[key] = old->second;
  assignments.erase(old);
  return true;
}

std::u16string AssignedPath(const Screen& screen, const Settings& settings) {
  if (screen.spanning) return settings.span;
  auto it = settings.assignments.find(screen.key);
  return it == settings.assignments.end() ? std::u16string() : it->second;
}

SurfaceAction DecideSurface(std::u16string_view path, MediaVerdict media, SurfacePreconditions pre) {
  if (path.empty() || !media.known || !pre.hostKnown || !pre.deviceExists || pre.renderingStopped)
    return SurfaceAction::None;
  return media.usable ? SurfaceAction::Create : SurfaceAction::RefuseGpuEffects;
}

std::u16string GpuEffectsOffMessage(std::u16string_view path) {
  return u"shader/GIF wallpapers are off (gpuEffects=0 in lumenhollow.ini): " + std::u16string(path);
}

bool SpansScreens(const Settings& settings, const ScreenList& monitors) {
  return IsSpanMode(settings) && !monitors.empty();
}

bool NeedsSystemWallpaperRefresh(bool hadSurface, const ScreenList& screens, bool spanning) {
  if (!hadSurface) return false;
  if (spanning) return !screens.empty() && !screens.back()->window;
  return std::any_of(screens.begin(), screens.end(), [](const auto& s) { return !s->window; });
}
