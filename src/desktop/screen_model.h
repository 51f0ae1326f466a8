#pragma once
// The decisions behind the screens list: order, span rectangle, stable keys and
// whether a record gets a surface. The shell gathers monitors and carries out
// the result.
#include <string>
#include <string_view>

#include "base/settings.h"
#include "desktop/screen.h"

// Orders records by left edge, then top edge, both signed, so a monitor left
// of or above the primary one comes first.
void SortScreens(ScreenList& screens);

// UnionRect as the system computes it: an empty rectangle (no width or no
// height) adds nothing, and two empty ones give the zero rectangle.
Rect UnionRect(const Rect& a, const Rect& b);

// The bounding rectangle of every record's bounds; the zero rectangle for none.
Rect SpanBounds(const ScreenList& screens);

// Any mode text other than exactly "span" means one wallpaper per screen.
bool IsSpanMode(const Settings& settings);

// A rebuild spans when the mode says so and there is a monitor to span: then
// only the spanning record gets a surface, else every monitor record does.
bool SpansScreens(const Settings& settings, const ScreenList& monitors);

// After a rebuild that had surfaces before: true when a record that should show
// a wallpaper has none, so the system wallpaper must be drawn again in place of
// the last frame left on the desktop.
bool NeedsSystemWallpaperRefresh(bool hadSurface, const ScreenList& screens, bool spanning);

// Appends the spanning record (key "span", the union as bounds and work area,
// the span path) to a sorted list of monitor records; nothing for an empty list.
// Returns the new record, or null.
Screen* AppendSpanRecord(ScreenList& screens, const Settings& settings);

// The monitor's key: its device interface name when the system gave a
// non-empty one, else its GDI device name such as \\.\DISPLAY1.
std::u16string StableScreenKey(bool interfaceQueryOk, std::u16string_view deviceInterface,
                               std::u16string_view gdiName);

// Moves an assignment made under the GDI name to the stable key, once: only
// when the key is not the GDI name itself, the key has no assignment yet and
// the GDI name has one. True when it moved (the caller saves the settings).
bool MigrateScreenKey(AssignmentMap& assignments, const std::u16string& key, const std::u16string& gdiName);

// The wallpaper a record shows: the span path for the spanning record, else the
// assignment of its key or nothing.
std::u16string AssignedPath(const Screen& screen, const Settings& settings);

// What the media kind rules say about a path.
struct MediaVerdict {
  bool known = false;   // ClassifyMedia is not None
  bool usable = false;  // IsUsableWallpaper (shader and GIF need gpuEffects)
};

struct SurfacePreconditions {
  bool hostKnown = false;
  bool deviceExists = false;
  bool renderingStopped = false;
};

enum class SurfaceAction {
  None,              // leave the record without a surface, say nothing
  Create,            // CreateSurface(record, false)
  RefuseGpuEffects,  // log GpuEffectsOffMessage(path), no surface
};

SurfaceAction DecideSurface(std::u16string_view path, MediaVerdict media, SurfacePreconditions pre);

std::u16string GpuEffectsOffMessage(std::u16string_view path);
