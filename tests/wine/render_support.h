#pragma once
// What the rendering tests under Wine need: pictures written at test time,
// screenshots of the X display, and a way to fake a removed device.
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// The next PresentFrame reports DXGI_ERROR_DEVICE_REMOVED, as a driver reset would.
extern bool gFailNextPresent;

namespace render_test {

// A folder for this run's files, as a Windows path and as the Linux path the
// same folder has (for the screenshot tool, which runs outside Wine).
struct Scratch {
  std::u16string windowsDir;  // ends without a separator
  std::string unixDir;
};
const Scratch& ScratchDir();

struct Rgb {
  int r = 0, g = 0, b = 0;
};

// The pixels of a window's rectangle on the X display, taken with ImageMagick.
class Shot {
 public:
  bool Take(const RECT& area);
  Rgb At(int x, int y) const;
  int width = 0, height = 0;

 private:
  std::vector<uint8_t> rgb_;
};

// True when every channel is within `tolerance` of the wanted colour.
bool Near(const Rgb& got, int r, int g, int b, int tolerance = 24);
std::string Describe(const Rgb& c);

// Lets Wine draw: pumps messages for `ms` milliseconds.
void Pump(DWORD ms);

// Pixels are B8G8R8A8 in 32 bits (alpha high).
void WriteWicPicture(const std::u16string& path, const GUID& container, uint32_t width, uint32_t height,
                     const std::vector<std::vector<uint32_t>>& pages);

// A GIF built byte by byte, so tests control every field a decoder reads.
struct GifFrame {
  uint16_t left = 0, top = 0, width = 0, height = 0;
  uint16_t delay = 10;    // hundredths
  uint8_t disposal = 0;
  bool writeControl = true;  // false: no graphic control extension at all
  std::vector<uint8_t> indices;  // palette indices, width x height
};
// Palette: 0 black, 1 red, 2 green, 3 blue, 4 white.
std::string MakeGif(uint16_t screenWidth, uint16_t screenHeight, const std::vector<GifFrame>& frames);
GifFrame SolidGifFrame(uint16_t left, uint16_t top, uint16_t width, uint16_t height, uint8_t index, uint16_t delay,
                       uint8_t disposal);

std::string ReadLog();

}  // namespace render_test
