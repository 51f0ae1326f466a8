#pragma once
// EXIF orientation of JPEG pictures, read and applied without any platform
// imaging library.
#include <cstdint>
#include <string_view>
#include <vector>

// The orientation tag (274) of IFD0 in a JPEG's Exif APP1 segment: 1..8, or
// 1 when absent, malformed or out of range.
int ReadExifOrientation(std::string_view fileBytes);

// Turns a BGRA picture upright for orientations 2..8 (5..8 swap the sides).
void OrientPixels(std::vector<uint32_t>& pixels, int32_t& width, int32_t& height, int orientation);
