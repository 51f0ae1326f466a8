#pragma once
// The user's rules for programs: pause while one runs or has the foreground,
// or never take one for a game. Pure matching over names the shell gathers.
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"

struct ProgramFacts {
  std::vector<std::u16string> running;  // file names of the running processes
  std::u16string foreground;            // file name of the foreground window's process; may be empty
};

// What the shell has to gather for these rules; nothing at all without rules.
struct RuleNeeds {
  bool running = false;
  bool foreground = false;
};
RuleNeeds NeedsOfRules(const std::vector<ProgramRule>& rules);

struct RuleVerdict {
  std::u16string pauseFor;        // the name in the first pausing rule that applies; empty when none
  bool foregroundExempt = false;  // the foreground program never counts as full screen
};

// File names compare without regard to case, as the file system does.
RuleVerdict MatchProgramRules(const std::vector<ProgramRule>& rules, const ProgramFacts& facts);

// The file name part of a process image path (after the last \ or /).
std::u16string_view ProgramFileName(std::u16string_view imagePath);

bool SameFileName(std::u16string_view a, std::u16string_view b);
