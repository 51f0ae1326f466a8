#pragma once
// Rotations: which wallpaper a rotating screen shows next, and when. The item
// showing is kept in the screen's assignment by the caller. Times are seconds
// since 1970; the caller passes the clock and the random numbers.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"

// A number in [0, bound); bound is at least 1.
using RandomBelow = std::function<uint32_t(uint32_t bound)>;
using UsableWallpaper = std::function<bool(const std::u16string& path)>;

// The item showing; empty for a rotation without items.
std::u16string CurrentRotationItem(const Rotation& rotation);

// (Re)starts after an edit: a new round at `showing` when it is one of the
// items (listed: from its place; shuffled: the round opens with it), else at
// the round's first item; due one interval from now, playing.
void StartRotation(Rotation& rotation, std::u16string_view showing, int64_t now, const RandomBelow& random);

struct RotationStep {
  std::u16string path;                  // the new wallpaper; empty when none is usable
  std::vector<std::u16string> skipped;  // items passed over as unusable, in order
};

// Moves to the next usable item, starting a new round at the end of this one
// (shuffled rounds never begin with the item that ended the last), and sets the
// next due time. With no usable item the rotation stops: due becomes 0.
RotationStep AdvanceRotation(Rotation& rotation, int64_t now, const UsableWallpaper& usable,
                             const RandomBelow& random);

// A paused screen's rotation holds its time: on resume the change comes as
// late as the pause lasted.
void SetRotationPaused(Rotation& rotation, bool paused, int64_t now);

// Playing, not stopped, and its time has come.
bool RotationDue(const Rotation& rotation, int64_t now);

// Seconds until the earliest change of a playing rotation among `keys` (0 when
// one is already due); -1 when none will change.
int64_t SecondsToNextChange(const RotationMap& rotations, const std::vector<std::u16string>& keys, int64_t now);

// Moves a rotation made under the GDI name to the stable key, like the
// assignment beside it. True when it moved.
bool MigrateRotationKey(RotationMap& rotations, const std::u16string& key, const std::u16string& gdiName);

std::u16string RotationSkipMessage(std::u16string_view path);
std::u16string RotationStoppedMessage(std::u16string_view key);
