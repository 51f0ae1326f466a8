#include "library/library_window_geometry.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

namespace {
// MulDiv: the product in 64 bits, rounded half away from zero.
int32_t MulDiv(int32_t value, int32_t numerator, int32_t denominator) {
  if (denominator == 0) return -1;
  const int64_t product = int64_t{value} * numerator;
  const int64_t half = std::abs(int64_t{denominator}) / 2;
  const bool negative = (product < 0) != (denominator < 0);
  const int64_t q = (std::abs(product) + half) / std::abs(int64_t{denominator});
  return static_cast<int32_t>(negative ? -q : q);
}
}  // namespace

Rect LibraryWindowRect(const Rect& work, int dpi) {
  const int32_t workW = work.right - work.left;
  const int32_t workH = work.bottom - work.top;
  const int32_t w = std::min(static_cast<int32_t>(int64_t{workW} * 92 / 100), MulDiv(1180, dpi, 96));
  const int32_t h = std::min(static_cast<int32_t>(int64_t{workH} * 92 / 100), MulDiv(780, dpi, 96));
  const int32_t left = work.left + (workW - w) / 2;
  const int32_t top = work.top + (workH - h) / 2;
  return {left, top, left + w, top + h};
}

Size LibraryMinimumSize(int dpi) { return {MulDiv(860, dpi, 96), MulDiv(600, dpi, 96)}; }
