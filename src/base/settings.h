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

// A screen's (or the span's) list of wallpapers that take turns. The item
// showing is also the screen's assignment, so readers of assignments need not
// know about rotations. Times are seconds since 1970 (UTC).
struct Rotation {
  std::vector<std::u16string> items;
  int32_t minutes = 30;
  bool shuffled = false;
  std::vector<int32_t> round;  // this round's order of item indexes
  int32_t position = 0;        // index into `round` of the item showing
  int64_t due = 0;             // when the next change is due; 0: stopped, nothing usable
  int64_t pausedAt = 0;        // when its screen paused; 0 while it plays
};
using RotationMap = std::map<std::u16string, Rotation>;

enum class RuleAction {
  PauseWhileRunning,
  PauseWhileForeground,
  NeverFullScreen,  // its windows never count as a game or full-screen application
};

struct ProgramRule {
  std::u16string program;  // a file name such as obs64.exe, any case
  RuleAction action = RuleAction::PauseWhileRunning;
  bool operator==(const ProgramRule&) const = default;
};

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
  // Written after everything above, and only when set, so that files of
  // earlier versions and their defaults stay byte for byte the same.
  bool stopWhenPaused = false;  // a game or program rule releases the renderers instead of pausing them
  RotationMap rotations;        // "rotation:" and "rotitem:" lines
  std::vector<ProgramRule> rules;
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
inline constexpr IntRange kRotationMinutesRange{1, 1440};  // a minute to a day
// Beyond these a file or the page is not something a person made; the rest is dropped.
inline constexpr size_t kMaxRotations = 64;
inline constexpr size_t kMaxRotationItems = 500;
inline constexpr size_t kMaxRules = 100;
inline constexpr size_t kMaxRuleNameLength = 260;
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

// A rotation as a file or the page may leave it, made safe: interval clamped,
// at most kMaxRotationItems items, a round that orders every item exactly once
// and a position inside it. A round that does not fit starts over in list
// order, keeping the position.
void NormalizeRotation(Rotation& rotation);

// The action's word in the file and on the page ("running", "foreground",
// "notfullscreen"); false for any other word.
std::u16string_view RuleActionName(RuleAction action);
bool ParseRuleAction(std::u16string_view name, RuleAction& action);
// Appends the rule unless its name is empty or too long, or the list is full.
bool AddProgramRule(std::vector<ProgramRule>& rules, std::u16string_view program, RuleAction action);

// The whole file, UTF-8 without a byte-order mark, CR LF line ends.
std::string FormatSettings(const Settings& settings);
