// The program rules in one housekeeping pass: 20 rules against 300 running
// processes and the foreground one, none matching (the whole list is walked),
// through the full pause decision on two monitors (target: well under 1 ms).
// "NoRules" is the same pass for a user without rules.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"
#include "pause/pause_policy.h"

namespace {

PauseFacts Facts(int rules) {
  PauseFacts f;
  const RuleAction actions[] = {RuleAction::PauseWhileRunning, RuleAction::PauseWhileForeground,
                                RuleAction::NeverFullScreen};
  for (int i = 0; i < rules; ++i)
    f.rules.push_back({u"Streaming-Tool-" + AsciiToUtf16(std::to_string(i)) + u".EXE", actions[i % 3]});
  for (int i = 0; i < 300; ++i) f.programs.running.push_back(u"service_host_" + AsciiToUtf16(std::to_string(i)) + u".exe");
  f.programs.foreground = u"explorer.exe";
  return f;
}

ScreenList TwoScreens() {
  ScreenList screens;
  for (int32_t left : {0, 1920}) {
    auto s = std::make_unique<Screen>();
    s->bounds = s->workArea = {left, 0, left + 1920, 1080};
    screens.push_back(std::move(s));
  }
  return screens;
}

void BM_PauseDecisionWithRules(benchmark::State& state) {
  const PauseFacts facts = Facts(static_cast<int>(state.range(0)));
  const ScreenList screens = TwoScreens();
  for (auto _ : state) benchmark::DoNotOptimize(DecidePause(facts, screens));
}
BENCHMARK(BM_PauseDecisionWithRules)->Arg(0)->Arg(20)->Unit(benchmark::kMicrosecond);

}  // namespace
