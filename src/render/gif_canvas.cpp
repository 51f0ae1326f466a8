#include "render/gif_canvas.h"

#include <algorithm>
#include <new>

#include "render/exif_orientation.h"

namespace {

// A frame pixel over a canvas pixel: opaque replaces, transparent leaves, and
// partial alpha darkens over black and becomes opaque.
uint32_t Over(uint32_t below, uint32_t p) {
  const uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return below;
  const uint32_t r = ((p >> 16) & 0xFF) * a / 255;
  const uint32_t g = ((p >> 8) & 0xFF) * a / 255;
  const uint32_t b = (p & 0xFF) * a / 255;
  return kOpaqueBlack | r << 16 | g << 8 | b;
}

// `v = {}` keeps the capacity (it assigns an empty list); only a swap with an
// empty vector gives the memory back.
void FreeAll(std::vector<uint32_t>& v) { std::vector<uint32_t>().swap(v); }

}  // namespace

bool FitsFrameCache(uint64_t frameCount, uint32_t width, uint32_t height) {
  // width * height fits 64 bits; times 4 it may not (2^31 x 2^31 x 4 wraps to 0).
  const uint64_t framePixels = uint64_t{width} * height;
  if (framePixels == 0) return true;
  // count * pixels * 4 <= budget, asked without the products that could wrap.
  return frameCount <= kFrameCacheBudget / 4 / framePixels;
}

double FrameDelaySeconds(uint32_t hundredths) { return hundredths < 2 ? 0.1 : hundredths / 100.0; }

bool GifCanvas::Allocate(uint32_t width, uint32_t height, uint32_t maxSide) {
  Release();
  if (width == 0 || height == 0 || width > maxSide || height > maxSide) return false;
  try {
    pixels_.assign(static_cast<size_t>(width) * height, kOpaqueBlack);
    incoming_.assign(pixels_.size(), 0);
  } catch (const std::bad_alloc&) {
    Release();
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

void GifCanvas::Release() {
  FreeAll(pixels_);
  FreeAll(incoming_);
  width_ = height_ = 0;
  previous = {};  // a released canvas turns every later step into a no-op
  savedArea_ = {};
  FreeAll(saved_);
}

void GifCanvas::BeginFrame(uint32_t index) {
  if (index == 0) {
    std::fill(pixels_.begin(), pixels_.end(), kOpaqueBlack);
    disposal = 0;
  } else if (disposal == 2) {
    Fill(previous, kOpaqueBlack);
  } else if (disposal == 3 && !saved_.empty()) {
    Copy(saved_.data(), savedArea_, true);
  }
  // A restore belongs to the one frame that asked for it.
  savedArea_ = {};
  saved_.clear();
}

PixelRect GifCanvas::Place(uint32_t left, uint32_t top, uint32_t frameW, uint32_t frameH) {
  // A frame placed wholly off the canvas gives an empty area at its edge.
  const uint64_t l = std::min<uint64_t>(left, width_);
  const uint64_t t = std::min<uint64_t>(top, height_);
  const uint64_t r = std::min<uint64_t>(uint64_t{left} + frameW, width_);
  const uint64_t b = std::min<uint64_t>(uint64_t{top} + frameH, height_);
  previous = {static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r), static_cast<int32_t>(b)};
  savedArea_ = {};
  saved_.clear();
  if (disposal == 3) {
    try {
      saved_.resize(size_t{previous.Width()} * previous.Height());
      savedArea_ = previous;
      Copy(saved_.data(), savedArea_, false);
    } catch (const std::bad_alloc&) {
      FreeAll(saved_);  // without the memory the frame stays, as "leave in place" would
    }
  }
  return previous;
}

void GifCanvas::Compose(const PixelRect& area, const uint32_t* source) {
  const uint32_t w = area.Width();
  const uint32_t h = area.Height();
  for (uint32_t y = 0; y < h; ++y) {
    uint32_t* row = &at(static_cast<uint32_t>(area.left), static_cast<uint32_t>(area.top) + y);
    const uint32_t* src = source + static_cast<size_t>(y) * w;
    for (uint32_t x = 0; x < w; ++x) row[x] = Over(row[x], src[x]);
  }
}

bool GifCanvas::ComposeUpright(const uint32_t* stored, uint32_t storedW, uint32_t storedH, int orientation) {
  const bool swap = SwapsSides(orientation);
  if ((swap ? storedH : storedW) != width_ || (swap ? storedW : storedH) != height_ || pixels_.empty()) return false;
  previous = {0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)};
  for (uint32_t y = 0; y < height_; ++y)
    for (uint32_t x = 0; x < width_; ++x) {
      int32_t sx = 0, sy = 0;
      UprightSource(orientation, static_cast<int32_t>(storedW), static_cast<int32_t>(storedH), static_cast<int32_t>(x),
                    static_cast<int32_t>(y), sx, sy);
      uint32_t& pixel = at(x, y);
      pixel = Over(pixel, stored[static_cast<size_t>(sy) * storedW + static_cast<size_t>(sx)]);
    }
  return true;
}

void GifCanvas::Copy(uint32_t* outside, const PixelRect& area, bool toCanvas) {
  const uint32_t w = area.Width();
  for (uint32_t y = 0; y < area.Height(); ++y) {
    uint32_t* row = &at(static_cast<uint32_t>(area.left), static_cast<uint32_t>(area.top) + y);
    uint32_t* other = outside + static_cast<size_t>(y) * w;
    if (toCanvas) std::copy(other, other + w, row);
    else std::copy(row, row + w, other);
  }
}

void GifCanvas::Fill(const PixelRect& area, uint32_t colour) {
  // `previous` is always clipped to this canvas by Place.
  for (uint32_t y = 0; y < area.Height(); ++y) {
    uint32_t* row = &at(static_cast<uint32_t>(area.left), static_cast<uint32_t>(area.top) + y);
    std::fill(row, row + area.Width(), colour);
  }
}
