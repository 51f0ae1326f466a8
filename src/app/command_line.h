#pragma once
// What the command line asks for. Options compare case-sensitively.
#include <string>
#include <string_view>

struct CommandLine {
  bool bakeChild = false;  // "--bake " at the very start: run the bake child and exit
  std::u16string bakeArguments;  // everything after "--bake "
  bool tray = false;             // "--tray" anywhere: start without the library window
  bool tour = false;             // "--tour" anywhere: the library opens with the tour
};

CommandLine ParseCommandLine(std::u16string_view text);
