#include "pause/pause_policy.h"

#include <algorithm>

std::u16string_view PauseReasonText(PauseReason reason) {
  switch (reason) {
    case PauseReason::None:
      return u"";
    case PauseReason::RenderingStopped:
      return u"stopped after a GPU reset";
    case PauseReason::Screensaver:
      return u"screensaver is on";
    case PauseReason::UserPaused:
      return u"paused by you";
    case PauseReason::Away:
      return u"you're away";
    case PauseReason::Locked:
      return u"PC locked";
    case PauseReason::DisplayOff:
      return u"display off";
    case PauseReason::OnBattery:
      return u"on battery";
    case PauseReason::ProgramRule:
      return u"paused for ";
    case PauseReason::FullScreen:
      return u"game / fullscreen app running";
  }
  return u"";
}

void TakePauseSettings(const Settings& settings, PauseFacts& facts) {
  facts.pauseFullscreen = settings.pauseFullscreen;
  facts.pauseCovered = settings.pauseCovered;
  facts.pauseBattery = settings.pauseBattery;
  facts.stopWhenPaused = settings.stopWhenPaused;
  facts.rules = settings.rules;
}

std::u16string PauseReasonLine(const PauseDecision& decision) {
  std::u16string line(PauseReasonText(decision.reason));
  if (decision.reason == PauseReason::ProgramRule) line += decision.program;
  return line;
}

bool IsShellWindowClass(std::u16string_view className) {
  // "#32769" is the desktop window, the foreground while nothing is active.
  return className == u"#32769" || className == u"Progman" || className == u"WorkerW" ||
         className == u"Shell_TrayWnd" || className == u"Shell_SecondaryTrayWnd";
}

bool IsBusyNotificationState(bool known, int32_t state) { return known && state >= 2 && state <= 4; }

bool IsOnBattery(bool known, uint8_t acLineStatus) { return known && acLineStatus == 0; }

bool IsFullScreenForeground(const ForegroundFacts& fg) {
  if (!fg.exists || fg.ownProcess || !fg.monitorKnown || IsShellWindowClass(fg.className)) return false;
  return fg.rect.left <= fg.monitorRect.left && fg.rect.top <= fg.monitorRect.top &&
         fg.rect.right >= fg.monitorRect.right && fg.rect.bottom >= fg.monitorRect.bottom;
}

bool CanCoverDesktop(const WindowFacts& w) {
  return w.visible && !w.minimized && !IsShellWindowClass(w.className) && !w.ownProcess &&
         (w.exStyle & kNeverCoversExStyle) == 0 && !w.cloaked;
}

namespace {

int64_t Extent(int32_t from, int32_t to) { return std::max<int64_t>(0, int64_t{to} - from); }

// IntersectRect succeeds only for a non-empty intersection.
bool HidesWorkArea(const Rect& window, const Rect& work) {
  const Rect cut{std::max(window.left, work.left), std::max(window.top, work.top),
                 std::min(window.right, work.right), std::min(window.bottom, work.bottom)};
  const int64_t cutArea = Extent(cut.left, cut.right) * Extent(cut.top, cut.bottom);
  if (cutArea == 0) return false;
  const int64_t workArea = Extent(work.left, work.right) * Extent(work.top, work.bottom);
  return cutArea * 100 >= workArea * 97;
}

}  // namespace

void IsDesktopCovered(const WindowFacts& window, const ScreenList& screens, std::vector<bool>& covered) {
  if (!CanCoverDesktop(window)) return;
  for (size_t i = 0; i < screens.size() && i < covered.size(); ++i) {
    const Screen& screen = *screens[i];
    if (covered[i] || screen.spanning) continue;
    if (window.maximized && window.monitor == screen.monitor) {
      covered[i] = true;
    } else if (HidesWorkArea(window.rect, screen.workArea)) {
      covered[i] = true;
    }
  }
}

std::vector<bool> CoveredScreens(const ScreenList& screens, std::span<const WindowFacts> windows) {
  std::vector<bool> covered(screens.size(), false);
  for (const WindowFacts& window : windows) IsDesktopCovered(window, screens, covered);
  bool all = true;
  for (size_t i = 0; i < screens.size(); ++i)
    if (!screens[i]->spanning && !covered[i]) all = false;
  for (size_t i = 0; i < screens.size(); ++i)
    if (screens[i]->spanning) covered[i] = all;
  return covered;
}

PauseDecision DecidePause(const PauseFacts& facts, const ScreenList& screens) {
  const bool battery = facts.pauseBattery && IsOnBattery(facts.powerStatusKnown, facts.acLineStatus);
  const RuleVerdict rules = MatchProgramRules(facts.rules, facts.programs);
  // The busy state comes from the foreground program too, so an exempt
  // program is not a game by either test.
  const bool fullScreen = facts.pauseFullscreen && !rules.foregroundExempt &&
                          (IsBusyNotificationState(facts.notificationStateKnown, facts.notificationState) ||
                           IsFullScreenForeground(facts.foreground));

  PauseDecision decision;
  decision.covered =
      facts.pauseCovered ? CoveredScreens(screens, facts.windows) : std::vector<bool>(screens.size(), false);

  if (facts.renderingStopped)
    decision.reason = PauseReason::RenderingStopped;
  else if (facts.saverRunning)
    decision.reason = PauseReason::Screensaver;
  else if (facts.userPaused)
    decision.reason = PauseReason::UserPaused;
  else if (facts.away)
    decision.reason = PauseReason::Away;
  else if (facts.locked)
    decision.reason = PauseReason::Locked;
  else if (facts.displayOff)
    decision.reason = PauseReason::DisplayOff;
  else if (battery)
    decision.reason = PauseReason::OnBattery;
  else if (!rules.pauseFor.empty())
    decision.reason = PauseReason::ProgramRule;
  else if (fullScreen)
    decision.reason = PauseReason::FullScreen;
  if (decision.reason == PauseReason::ProgramRule) decision.program = rules.pauseFor;
  decision.release = facts.stopWhenPaused &&
                     (decision.reason == PauseReason::ProgramRule || decision.reason == PauseReason::FullScreen);

  const bool global = decision.reason != PauseReason::None;
  decision.paused.resize(screens.size());
  for (size_t i = 0; i < screens.size(); ++i) decision.paused[i] = global || decision.covered[i];
  return decision;
}

bool ApplyPauseDecision(ScreenList& screens, const PauseDecision& decision) {
  bool changed = false;
  const size_t n = std::min({screens.size(), decision.covered.size(), decision.paused.size()});
  for (size_t i = 0; i < n; ++i) {
    Screen& screen = *screens[i];
    screen.covered = decision.covered[i];
    if (!screen.renderer || screen.paused == decision.paused[i]) continue;
    screen.paused = decision.paused[i];
    screen.renderer->SetPaused(screen.paused);
    changed = true;
  }
  return changed;
}
