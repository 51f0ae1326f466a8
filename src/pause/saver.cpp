#include "pause/saver.h"

std::u16string PickSaverWallpaper(const Settings& settings, const std::u16string& key,
                                  const UsablePredicate& usable) {
  if (settings.mode == u"span") return settings.span;
  if (auto own = settings.assignments.find(key); own != settings.assignments.end()) return own->second;
  for (const auto& [otherKey, path] : settings.assignments)
    if (usable(path)) return path;
  return {};
}

SaverClock StartSaverClock(uint32_t lastInput, uint64_t now, bool preview) {
  return SaverClock{lastInput, now, preview ? now + kSaverPreviewMs : 0};
}

bool SaverBarred(const Settings& settings, const SaverBar& bar, bool preview) {
  return bar.locked || bar.displayOff || (!preview && settings.pauseBattery && bar.onBattery);
}

bool SaverShouldEnd(SaverClock& clock, uint32_t lastInput, uint64_t now, bool barred) {
  if (barred) return true;
  if (now < clock.start + kSaverGraceMs) {
    clock.referenceInput = lastInput;
    return false;
  }
  if (lastInput == clock.referenceInput && (clock.end == 0 || now <= clock.end)) return false;
  return true;
}

uint32_t IdleMilliseconds(uint32_t nowTick, uint32_t lastInputTick) { return nowTick - lastInputTick; }

IdleVerdict JudgeIdle(const Settings& settings, const IdleFacts& facts) {
  const uint64_t limit = static_cast<uint64_t>(Clamp(settings.idleMin, kIdleMinRange)) * 60000;
  const bool long_enough = facts.idleMs >= limit;
  IdleVerdict verdict;
  verdict.away = long_enough && settings.idle == 1;
  verdict.startSaver = long_enough && settings.idle == 2 && !facts.saverRunning && !facts.userPaused &&
                       !facts.busy &&
                       !SaverBarred(settings, {facts.locked, facts.displayOff, facts.onBattery}, false);
  return verdict;
}

SaverChoice TakeSaverChoice(const Settings& settings) {
  return SaverChoice{settings.mode, settings.span, settings.assignments, settings.gpuEffects};
}

bool SaverMayStart(const SaverRetryGate& gate, const Settings& settings, uint32_t lastInput) {
  return !gate.blocked || lastInput != gate.lastInput || TakeSaverChoice(settings) != gate.choice;
}

void NoteSaverStart(SaverRetryGate& gate, bool shown, const Settings& settings, uint32_t lastInput) {
  gate.blocked = !shown;
  gate.lastInput = lastInput;
  gate.choice = shown ? SaverChoice{} : TakeSaverChoice(settings);
}
