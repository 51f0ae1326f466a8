#pragma once
// Decodes a picture for the effect: the first frame, upright (EXIF
// orientation), scaled to the bake size (maxSide 0) or so that its long side
// is maxSide, as 32-bit BGRA. Each platform has its own decoder.
#include <cstdint>
#include <string>
#include <vector>

bool DecodePictureForBake(const std::u16string& path, int32_t maxSide, std::vector<uint32_t>& pixels,
                          int32_t& width, int32_t& height);
