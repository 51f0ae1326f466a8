#include "render/placement.h"

#include <algorithm>

namespace {

float Limit(float value, float low, float high) {
  if (value > high) return high;
  if (value < low) return low;
  return value;
}

}  // namespace

UvRect ComputeUvRect(const FrameMap& frames, const std::u16string& screenKey, uint32_t srcW, uint32_t srcH,
                     uint32_t dstW, uint32_t dstH) {
  UvRect r;
  if (srcW > 0 && srcH > 0 && dstW > 0 && dstH > 0) {
    const float dstAspect = static_cast<float>(dstW) / static_cast<float>(dstH);
    const float srcAspect = static_cast<float>(srcW) / static_cast<float>(srcH);
    if (srcAspect > dstAspect) {
      r.du = dstAspect / srcAspect;
      r.u = (1.0f - r.du) * 0.5f;
    } else {
      r.dv = srcAspect / dstAspect;
      r.v = (1.0f - r.dv) * 0.5f;
    }
  }
  const auto found = frames.find(screenKey);
  if (found != frames.end()) {
    const Frame& frame = found->second;
    const float z = Limit(frame.zoom, kMinZoom, kMaxZoom);
    r.du /= z;
    r.dv /= z;
    r.u = Limit(frame.x - r.du * 0.5f, 0.0f, 1.0f - r.du);
    r.v = Limit(frame.y - r.dv * 0.5f, 0.0f, 1.0f - r.dv);
  }
  return r;
}

UvRect ComputeFitRect(uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH) {
  UvRect r;
  if (srcW == 0 || srcH == 0 || dstW == 0 || dstH == 0) return r;
  const float imageAspect = static_cast<float>(srcW) / static_cast<float>(srcH);
  const float surfaceAspect = static_cast<float>(dstW) / static_cast<float>(dstH);
  if (imageAspect > surfaceAspect) {
    r.du = 1.0f;
    r.dv = imageAspect / surfaceAspect;
  } else {
    r.du = surfaceAspect / imageAspect;
    r.dv = 1.0f;
  }
  r.u = (1.0f - r.du) * 0.5f;
  r.v = (1.0f - r.dv) * 0.5f;
  return r;
}

bool ShowsPixelForPixel(const UvRect& r, uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH) {
  return srcW == dstW && srcH == dstH && r.u == 0.0f && r.v == 0.0f && r.du == 1.0f && r.dv == 1.0f;
}

Rect ComputeFitDestination(uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH) {
  const auto width = static_cast<int32_t>(dstW), height = static_cast<int32_t>(dstH);
  if (srcW == 0 || srcH == 0 || dstW == 0 || dstH == 0) return {0, 0, width, height};
  const float scale = std::min(static_cast<float>(dstW) / static_cast<float>(srcW),
                               static_cast<float>(dstH) / static_cast<float>(srcH));
  // Rounding can land a hair past the target; the rectangle never leaves it.
  const int32_t w = std::min(width, static_cast<int32_t>(scale * static_cast<float>(srcW)));
  const int32_t h = std::min(height, static_cast<int32_t>(scale * static_cast<float>(srcH)));
  const int32_t left = (width - w) / 2, top = (height - h) / 2;
  return {left, top, left + w, top + h};
}

VideoLayout ComputeVideoLayout(bool fit, const FrameMap& frames, const std::u16string& screenKey, uint32_t videoW,
                               uint32_t videoH, uint32_t surfaceW, uint32_t surfaceH) {
  VideoLayout layout;
  layout.destination = {0, 0, static_cast<int32_t>(surfaceW), static_cast<int32_t>(surfaceH)};
  if (fit && videoW > 0 && videoH > 0) {
    layout.destination = ComputeFitDestination(videoW, videoH, surfaceW, surfaceH);
    return layout;
  }
  const UvRect r = ComputeUvRect(frames, screenKey, videoW, videoH, surfaceW, surfaceH);
  layout.left = r.u;
  layout.top = r.v;
  layout.right = r.u + r.du;
  layout.bottom = r.v + r.dv;
  return layout;
}
