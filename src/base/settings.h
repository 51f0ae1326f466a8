#pragma once
// The settings record and the text format of lumenhollow.ini. Only the file
// access lives in the platform shell (settings_store_win.cpp).
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Pan and zoom of one screen's wallpaper: the centre of the visible part in
// texture units, and the zoom (kMinZoom to kMaxZoom is honoured when placing
// the picture).
struct Frame {
  float x = 0.5f;
  float y = 0.5f;
  float zoom = 1.0f;
};

// Keys compare as plain UTF-16 code units, which std::u16string already does.
using FrameMap = std::map<std::u16string, Frame>;
using AssignmentMap = std::map<std::u16string, std::u16string>;

struct Settings {
  bool pauseFullscreen = true;
  bool pauseCovered = true;
  bool pauseBattery = true;
  int32_t fps = 30;
  int32_t shaderScale = 50;
  bool gpuEffects = false;
  bool fit = false;
  std::u16string mode = u"screens";  // "screens" or "span"
  std::u16string span;               // the wallpaper used in span mode
  int32_t idle = 0;                  // 0 ignore, 1 pause when away, 2 screensaver
  int32_t idleMin = 10;
  FrameMap frames;
  std::vector<std::u16string> userList;  // the "lib" lines, in the order added
  AssignmentMap assignments;             // the "screen:" lines
};

struct IntRange {
  int32_t min, max;
};
inline constexpr IntRange kFpsRange{5, 240};
inline constexpr IntRange kShaderScaleRange{25, 100};
inline constexpr IntRange kIdleRange{0, 2};
inline constexpr IntRange kIdleMinRange{1, 120};
// "set fps" from the library page stops here, though the file allows more.
inline constexpr IntRange kPageFpsRange{5, 120};
inline constexpr float kMinZoom = 1.0f;
inline constexpr float kMaxZoom = 4.0f;

int32_t Clamp(int32_t value, IntRange range);

// Reads a decimal integer the way _wtoi does: leading blanks and one sign,
// digits up to the first non-digit, 0 when there are none; saturates at the
// 32-bit limits.
int32_t ParseLeadingInt(std::u16string_view text);

// Reads "x,y,zoom" the way "%f,%f,%f" scans it. False unless three finite
// numbers were read: a frame with nan or inf would black out the screen.
bool ParseFrame(std::u16string_view text, Frame& frame);

// Applies the file's lines to `settings` (fields not in the file keep their
// values). The text may start with a UTF-8 byte-order mark and use CR LF.
void ParseSettings(std::string_view bytes, Settings& settings);

// The whole file, UTF-8 without a byte-order mark, CR LF line ends.
std::string FormatSettings(const Settings& settings);
