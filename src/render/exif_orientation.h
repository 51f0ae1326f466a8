#pragma once
// EXIF orientation of JPEG and TIFF pictures, read and applied without any
// platform imaging library. The bake and the wallpaper share it, so a picture
// stands the same way in both.
#include <cstdint>
#include <string_view>
#include <vector>

// The orientation tag (274) of IFD0 in a JPEG's Exif APP1 segment or of a
// TIFF file: 1..8, or 1 when absent, malformed, out of range or past the
// bytes given (the head of the file is enough for a JPEG).
int ReadExifOrientation(std::string_view fileBytes);

// Orientations 5..8 turn the picture a quarter: its sides swap.
inline bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

// The stored pixel (sx, sy) of a w x h picture that appears at (x, y) once it
// is upright.
void UprightSource(int orientation, int32_t w, int32_t h, int32_t x, int32_t y, int32_t& sx, int32_t& sy);

// Turns a BGRA picture upright for orientations 2..8 (5..8 swap the sides).
void OrientPixels(std::vector<uint32_t>& pixels, int32_t& width, int32_t& height, int orientation);
