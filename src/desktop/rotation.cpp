#include "desktop/rotation.h"

#include <algorithm>
#include <numeric>

namespace {

void NewRound(Rotation& r, const RandomBelow& random) {
  const size_t n = r.items.size();
  const int32_t last = r.round.empty() ? -1 : r.round[static_cast<size_t>(r.position)];
  r.round.resize(n);
  std::iota(r.round.begin(), r.round.end(), 0);
  r.position = 0;
  if (!r.shuffled || n < 2) return;
  for (size_t i = n - 1; i > 0; --i) std::swap(r.round[i], r.round[random(static_cast<uint32_t>(i + 1))]);
  // Across the seam: the item that ended the last round does not open this one.
  if (r.round[0] == last) std::swap(r.round[0], r.round[1 + random(static_cast<uint32_t>(n - 1))]);
}

}  // namespace

std::u16string CurrentRotationItem(const Rotation& r) {
  if (r.items.empty() || r.round.size() != r.items.size()) return {};
  return r.items[static_cast<size_t>(r.round[static_cast<size_t>(r.position)])];
}

void StartRotation(Rotation& r, std::u16string_view showing, int64_t now, const RandomBelow& random) {
  NormalizeRotation(r);
  r.round.clear();
  NewRound(r, random);
  const auto at = std::find(r.items.begin(), r.items.end(), showing);
  if (at != r.items.end()) {
    // Listed goes on from the item showing; a shuffled round opens with it.
    const auto found = std::find(r.round.begin(), r.round.end(), static_cast<int32_t>(at - r.items.begin()));
    if (r.shuffled)
      std::swap(*found, r.round[0]);
    else
      r.position = static_cast<int32_t>(found - r.round.begin());
  }
  r.due = r.items.empty() ? 0 : now + int64_t{r.minutes} * 60;
  r.pausedAt = 0;
}

RotationStep AdvanceRotation(Rotation& r, int64_t now, const UsableWallpaper& usable, const RandomBelow& random) {
  NormalizeRotation(r);
  RotationStep step;
  for (size_t tries = 0; tries < r.items.size(); ++tries) {
    if (static_cast<size_t>(r.position) + 1 >= r.round.size())
      NewRound(r, random);
    else
      ++r.position;
    const std::u16string& path = r.items[static_cast<size_t>(r.round[static_cast<size_t>(r.position)])];
    if (usable(path)) {
      step.path = path;
      r.due = now + int64_t{r.minutes} * 60;
      return step;
    }
    step.skipped.push_back(path);
  }
  r.due = 0;
  return step;
}

void SetRotationPaused(Rotation& r, bool paused, int64_t now) {
  if (paused && r.pausedAt == 0) {
    r.pausedAt = now;
  } else if (!paused && r.pausedAt != 0) {
    if (r.due != 0) r.due += std::max<int64_t>(0, now - r.pausedAt);
    r.pausedAt = 0;
  }
}

bool RotationDue(const Rotation& r, int64_t now) { return r.pausedAt == 0 && r.due != 0 && r.due <= now; }

int64_t SecondsToNextChange(const RotationMap& rotations, const std::vector<std::u16string>& keys, int64_t now) {
  int64_t next = -1;
  for (const std::u16string& key : keys) {
    const auto it = rotations.find(key);
    if (it == rotations.end() || it->second.pausedAt != 0 || it->second.due == 0) continue;
    const int64_t wait = std::max<int64_t>(0, it->second.due - now);
    if (next < 0 || wait < next) next = wait;
  }
  return next;
}

bool MigrateRotationKey(RotationMap& rotations, const std::u16string& key, const std::u16string& gdiName) {
  if (key == gdiName || rotations.contains(key)) return false;
  auto old = rotations.find(gdiName);
  if (old == rotations.end()) return false;
  rotations[key] = std::move(old->second);
  rotations.erase(old);
  return true;
}

std::u16string RotationSkipMessage(std::u16string_view path) {
  return u"rotation skipped a wallpaper that cannot be shown: " + std::u16string(path);
}

std::u16string RotationStoppedMessage(std::u16string_view key) {
  return u"rotation stopped, no wallpaper in it can be shown: " + std::u16string(key);
}
