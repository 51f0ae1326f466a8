#pragma once
// Where a picture lands on a surface: the source rectangle, in texture units
// with the origin top-left, that the blit stretches over the whole target.
#include <cstdint>
#include <string>

#include "base/settings.h"
#include "desktop/screen.h"

struct UvRect {
  float u = 0.0f;
  float v = 0.0f;
  float du = 1.0f;
  float dv = 1.0f;
};

// Fill: crop the longer axis evenly so the picture covers the target, then
// apply the screen's pan and zoom from `frames` (zoom held to 1..4, the view
// kept inside the picture). A zero size skips the crop.
UvRect ComputeUvRect(const FrameMap& frames, const std::u16string& screenKey, uint32_t srcW, uint32_t srcH,
                     uint32_t dstW, uint32_t dstH);

// Fit (letterbox): the whole picture inside the target. The rectangle grows
// past the picture on one axis so the border sampler paints equal black bars.
// A zero size gives the whole picture stretched, never a division by zero.
UvRect ComputeFitRect(uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH);

// True when `r` shows the whole source on a target of the source's own size:
// the picture lands pixel for pixel and a copy shows it as the blit would.
bool ShowsPixelForPixel(const UvRect& r, uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH);

// Fit for a renderer given a destination in pixels (the video engine's frame
// transfer): the largest rectangle of the source's aspect inside the target,
// centred, its sides truncated to whole pixels. A zero size gives the whole
// target.
Rect ComputeFitDestination(uint32_t srcW, uint32_t srcH, uint32_t dstW, uint32_t dstH);

// Where a video frame goes: the part of the frame to show (normalized, origin
// top-left) and the part of the target it fills.
struct VideoLayout {
  float left = 0.0f, top = 0.0f, right = 1.0f, bottom = 1.0f;
  Rect destination;
};

// Fit letterboxes the whole frame and ignores the screen's Frame; fill (or a
// video whose size is not known) covers the target through ComputeUvRect.
VideoLayout ComputeVideoLayout(bool fit, const FrameMap& frames, const std::u16string& screenKey, uint32_t videoW,
                               uint32_t videoH, uint32_t surfaceW, uint32_t surfaceH);
