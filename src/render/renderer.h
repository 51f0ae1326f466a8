#pragma once
// The content of one surface: a video, a picture, a shader or a web page. The
// frame loop ticks it, the pause decision pauses it, and the "frame" command
// refreshes it. Owned by its Screen record and destroyed through the base.
#include <string>

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

  bool ready = false;  // has shown content at least once
  std::u16string screenKey;  // looks up the screen's Frame; "span" for the spanning record
};
