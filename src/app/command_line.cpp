#include "app/command_line.h"

CommandLine ParseCommandLine(std::u16string_view text) {
  CommandLine result;
  constexpr std::u16string_view kBake = u"--bake ";
  if (text.starts_with(kBake)) {
    result.bakeChild = true;
    result.bakeArguments = text.substr(kBake.size());
    return result;
  }
  result.tray = text.find(u"--tray") != std::u16string_view::npos;
  result.tour = text.find(u"--tour") != std::u16string_view::npos;
  return result;
}
