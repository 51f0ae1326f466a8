#pragma once
// The model the desktop and the renderers share: one monitor (or the spanning
// wallpaper), its rectangle, and the content drawn on its surface.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The content of one surface: a video, a picture, a shader or a web page. The
// frame loop ticks it, the pause decision pauses it, and the "frame" command
// refreshes it. Owned by its Screen record and destroyed through the base.
class Renderer {
 public:
  virtual ~Renderer() = default;
  // Recompute the placement and redraw the current frame (after a pan or zoom).
  virtual void Refresh() {}
  // One frame step; `seconds` since the previous step, at most 0.25.
  virtual void Tick(double seconds) = 0;
  virtual void SetPaused(bool paused) = 0;
  // True while the content animates and needs the frame timer.
  virtual bool NeedsFrames() = 0;

  bool ready = false;        // has shown content at least once
  std::u16string screenKey;  // looks up the screen's Frame; "span" for the spanning record
};

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect&) const = default;
};

struct Screen {
  std::u16string key;       // device interface name, else GDI device name, or "span"
  std::u16string path;      // assigned wallpaper; empty when none
  void* monitor = nullptr;  // HMONITOR; null for the spanning record
  Rect bounds;
  Rect workArea;
  bool primary = false;
  bool covered = false;
  bool paused = false;
  bool spanning = false;
  bool released = false;  // its renderer was let go for a stop; the window stays
  std::u16string friendlyName;
  void* window = nullptr;  // HWND of the surface; null when none
  std::unique_ptr<Renderer> renderer;
};

using ScreenList = std::vector<std::unique_ptr<Screen>>;
