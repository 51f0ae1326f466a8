#include "render/exif_orientation.h"

#include <utility>

namespace {

struct Reader {
  std::string_view bytes;
  bool little = false;
  bool Has(size_t at, size_t n) const { return at <= bytes.size() && n <= bytes.size() - at; }
  uint32_t U8(size_t at) const { return static_cast<uint8_t>(bytes[at]); }
  uint32_t U16(size_t at) const { return little ? U8(at) | U8(at + 1) << 8 : U8(at) << 8 | U8(at + 1); }
  uint32_t U32(size_t at) const {
    return little ? U16(at) | U16(at + 2) << 16 : U16(at) << 16 | U16(at + 2);
  }
};

int OrientationInTiff(std::string_view tiff) {
  Reader r{tiff};
  if (!r.Has(0, 8)) return 1;
  if (tiff.substr(0, 2) == "II") r.little = true;
  else if (tiff.substr(0, 2) != "MM") return 1;
  if (r.U16(2) != 42) return 1;
  const size_t ifd = r.U32(4);
  if (!r.Has(ifd, 2)) return 1;
  const uint32_t count = r.U16(ifd);
  for (uint32_t k = 0; k < count; ++k) {
    const size_t entry = ifd + 2 + static_cast<size_t>(k) * 12;
    if (!r.Has(entry, 12)) return 1;
    // Type 3 (SHORT), count 1: the value sits in the entry itself.
    if (r.U16(entry) == 274 && r.U16(entry + 2) == 3) {
      const uint32_t value = r.U16(entry + 8);
      return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
  }
  return 1;
}

}  // namespace

int ReadExifOrientation(std::string_view bytes) {
  if (bytes.substr(0, 4) == std::string_view("II\x2A\0", 4) || bytes.substr(0, 4) == std::string_view("MM\0\x2A", 4))
    return OrientationInTiff(bytes);
  Reader r{bytes};
  if (!r.Has(0, 2) || r.U8(0) != 0xFF || r.U8(1) != 0xD8) return 1;
  size_t at = 2;
  while (r.Has(at, 4)) {
    if (r.U8(at) != 0xFF) return 1;
    const uint32_t marker = r.U8(at + 1);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    if (marker == 0xDA || marker == 0xD9) return 1;  // image data: no Exif came first
    const size_t length = r.U16(at + 2);
    if (length < 2 || !r.Has(at + 2, length)) return 1;
    const std::string_view body = bytes.substr(at + 4, length - 2);
    if (marker == 0xE1 && body.size() >= 6 && body.substr(0, 6) == std::string_view("Exif\0\0", 6))
      return OrientationInTiff(body.substr(6));
    at += 2 + length;
  }
  return 1;
}

void UprightSource(int orientation, int32_t w, int32_t h, int32_t x, int32_t y, int32_t& sx, int32_t& sy) {
  sx = x, sy = y;
  switch (orientation) {
    case 2: sx = w - 1 - x; break;                          // mirrored
    case 3: sx = w - 1 - x, sy = h - 1 - y; break;          // upside down
    case 4: sy = h - 1 - y; break;                          // mirrored vertically
    case 5: sx = y, sy = x; break;                          // transposed
    case 6: sx = y, sy = h - 1 - x; break;                  // turned: needs 90 degrees clockwise
    case 7: sx = w - 1 - y, sy = h - 1 - x; break;          // transversed
    case 8: sx = w - 1 - y, sy = x; break;                  // needs 90 degrees anticlockwise
  }
}

void OrientPixels(std::vector<uint32_t>& pixels, int32_t& width, int32_t& height, int orientation) {
  if (orientation < 2 || orientation > 8) return;
  const int32_t w = width, h = height;
  const int32_t ow = SwapsSides(orientation) ? h : w, oh = SwapsSides(orientation) ? w : h;
  std::vector<uint32_t> out(pixels.size());
  for (int32_t y = 0; y < oh; ++y)
    for (int32_t x = 0; x < ow; ++x) {
      int32_t sx = 0, sy = 0;
      UprightSource(orientation, w, h, x, y, sx, sy);
      out[static_cast<size_t>(y) * ow + x] = pixels[static_cast<size_t>(sy) * w + sx];
    }
  pixels = std::move(out);
  width = ow;
  height = oh;
}
