#pragma once
// Composition of GIF frames on the logical screen, frame delays and the
// memory budget for caching frames. Pixels are B8G8R8A8 in 32 bits: blue in
// the low byte, alpha in the high byte.
#include <cstddef>
#include <cstdint>
#include <vector>

inline constexpr uint32_t kOpaqueBlack = 0xFF000000u;

// All frames of a picture are kept as textures when they take at most this
// many bytes together (192 MiB at 4 bytes a pixel).
inline constexpr uint64_t kFrameCacheBudget = 0xC000000u;

// frameCount x width x height x 4 <= the budget, without overflow for any
// 32-bit inputs.
bool FitsFrameCache(uint64_t frameCount, uint32_t width, uint32_t height);

// A GIF delay in hundredths of a second as seconds. 0 and 1 mean "as fast as
// possible", which viewers have long shown as a tenth of a second.
double FrameDelaySeconds(uint32_t hundredths);

// A rectangle of canvas pixels; empty when right <= left or bottom <= top.
struct PixelRect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t right = 0;
  int32_t bottom = 0;
  uint32_t Width() const { return right > left ? static_cast<uint32_t>(right - left) : 0; }
  uint32_t Height() const { return bottom > top ? static_cast<uint32_t>(bottom - top) : 0; }
};

class GifCanvas {
 public:
  // A GIF can declare a 65535 x 65535 screen (16 GiB) for a one-pixel image,
  // so the size is checked against `maxSide` (the largest texture the device
  // takes: the canvas must become one) before any memory is asked for, and a
  // refused allocation is a failure, not a crash. Starts opaque black, with
  // `incoming` of the same size.
  bool Allocate(uint32_t width, uint32_t height, uint32_t maxSide);
  // Gives the pixels and `incoming` back to the system once every frame has
  // its own texture.
  void Release();

  // Readies the canvas for frame `index`: frame 0 starts from black with no
  // disposal pending; after a frame with disposal 2 its area turns black, and
  // after one with disposal 3 its area gets back what was there before it.
  void BeginFrame(uint32_t index);

  // The canvas area a frame of frameW x frameH at (left, top) covers, clipped
  // to the canvas; it becomes the area the next disposal clears. With
  // `disposal` 3 already set for this frame, the area's pixels are kept for
  // the restore. The frame's
  // pixels that matter are exactly those of its top-left Width x Height.
  PixelRect Place(uint32_t left, uint32_t top, uint32_t frameW, uint32_t frameH);

  // Draws `source` (area.Width() pixels a row) into `area`: opaque pixels
  // replace, transparent ones leave the canvas, and partial alpha darkens the
  // colour as if over black and makes it opaque (integer arithmetic only).
  void Compose(const PixelRect& area, const uint32_t* source);
  // Draws a whole picture stored `storedW` x `storedH` with EXIF `orientation`
  // upright over the whole canvas (which has the upright size), by the same
  // pixel rules. False, drawing nothing, when the sizes do not agree.
  bool ComposeUpright(const uint32_t* stored, uint32_t storedW, uint32_t storedH, int orientation);

  uint32_t width() const { return width_; }
  uint32_t height() const { return height_; }
  const std::vector<uint32_t>& pixels() const { return pixels_; }
  // Where a decoded frame lands before it is composed; a frame never covers
  // more than the canvas.
  std::vector<uint32_t>& incoming() { return incoming_; }
  uint32_t& at(uint32_t x, uint32_t y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

  uint32_t disposal = 0;  // disposal method of the frame last decoded
  PixelRect previous;     // canvas area written by the frame last composed

 private:
  void Fill(const PixelRect& area, uint32_t colour);
  // Copies `area` between the canvas and `outside` (area.Width() pixels a row).
  void Copy(uint32_t* outside, const PixelRect& area, bool toCanvas);

  uint32_t width_ = 0;
  uint32_t height_ = 0;
  std::vector<uint32_t> pixels_;
  std::vector<uint32_t> incoming_;
  PixelRect savedArea_;           // what a disposal-3 frame covered ...
  std::vector<uint32_t> saved_;   // ... and the pixels there before it
};
