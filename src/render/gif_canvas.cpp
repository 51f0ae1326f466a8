#include "render/gif_canvas.h"

#include <algorithm>
#include <new>

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
  } catch (const std::bad_alloc&) {
    pixels_ = {};
    return false;
  }
  width_ = width;
  height_ = height;
  return true;
}

void GifCanvas::Release() {
  pixels_ = {};  // assigning an empty vector really gives the memory back
  width_ = height_ = 0;
  previous = {};  // a released canvas turns every later step into a no-op
}

void GifCanvas::BeginFrame(uint32_t index) {
  if (index == 0) {
    std::fill(pixels_.begin(), pixels_.end(), kOpaqueBlack);
    disposal = 0;
  } else if (disposal == 2) {
    Fill(previous, kOpaqueBlack);
  }
}

PixelRect GifCanvas::Place(uint32_t left, uint32_t top, uint32_t frameW, uint32_t frameH) {
  // A frame placed wholly off the canvas gives an empty area at its edge.
  const uint64_t l = std::min<uint64_t>(left, width_);
  const uint64_t t = std::min<uint64_t>(top, height_);
  const uint64_t r = std::min<uint64_t>(uint64_t{left} + frameW, width_);
  const uint64_t b = std::min<uint64_t>(uint64_t{top} + frameH, height_);
  previous = {static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r), static_cast<int32_t>(b)};
  return previous;
}

void GifCanvas::Compose(const PixelRect& area, const uint32_t* source) {
  const uint32_t w = area.Width();
  const uint32_t h = area.Height();
  for (uint32_t y = 0; y < h; ++y) {
    uint32_t* row = &at(static_cast<uint32_t>(area.left), static_cast<uint32_t>(area.top) + y);
    const uint32_t* src = source + static_cast<size_t>(y) * w;
    for (uint32_t x = 0; x < w; ++x) {
      const uint32_t p = src[x];
      const uint32_t a = p >> 24;
      if (a == 255) {
        row[x] = p;
      } else if (a != 0) {
        const uint32_t r = ((p >> 16) & 0xFF) * a / 255;
        const uint32_t g = ((p >> 8) & 0xFF) * a / 255;
        const uint32_t b = (p & 0xFF) * a / 255;
        row[x] = kOpaqueBlack | r << 16 | g << 8 | b;
      }
    }
  }
}

void GifCanvas::Fill(const PixelRect& area, uint32_t colour) {
  // `previous` is always clipped to this canvas by Place.
  for (uint32_t y = 0; y < area.Height(); ++y) {
    uint32_t* row = &at(static_cast<uint32_t>(area.left), static_cast<uint32_t>(area.top) + y);
    std::fill(row, row + area.Width(), colour);
  }
}
