#include "pause/program_rules.h"

namespace {

// ASCII and Latin-1 letters: what program file names hold in practice.
char16_t Fold(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<char16_t>(c + 0x20);
  return c;
}

}  // namespace

bool SameFileName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Fold(a[i]) != Fold(b[i])) return false;
  return true;
}

std::u16string_view ProgramFileName(std::u16string_view imagePath) {
  const size_t slash = imagePath.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? imagePath : imagePath.substr(slash + 1);
}

RuleNeeds NeedsOfRules(const std::vector<ProgramRule>& rules) {
  RuleNeeds needs;
  for (const ProgramRule& rule : rules) {
    if (rule.action == RuleAction::PauseWhileRunning)
      needs.running = true;
    else
      needs.foreground = true;
  }
  return needs;
}

RuleVerdict MatchProgramRules(const std::vector<ProgramRule>& rules, const ProgramFacts& facts) {
  RuleVerdict verdict;
  for (const ProgramRule& rule : rules) {
    const bool inFront = !facts.foreground.empty() && SameFileName(rule.program, facts.foreground);
    switch (rule.action) {
      case RuleAction::NeverFullScreen:
        verdict.foregroundExempt |= inFront;
        break;
      case RuleAction::PauseWhileForeground:
        if (inFront && verdict.pauseFor.empty()) verdict.pauseFor = rule.program;
        break;
      case RuleAction::PauseWhileRunning:
        if (!verdict.pauseFor.empty()) break;
        for (const std::u16string& name : facts.running) {
          if (SameFileName(rule.program, name)) {
            verdict.pauseFor = rule.program;
            break;
          }
        }
        break;
    }
  }
  return verdict;
}
