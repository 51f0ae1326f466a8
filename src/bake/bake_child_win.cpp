#include "bake/bake_child_win.h"

#include <windows.h>
#include <mfapi.h>

#include "base/files_win.h"
#include "base/wide_win.h"
#include "bake/bake_child.h"
#include "bake/encode_sink_win.h"

int RunBakeChild(const std::u16string& arguments) {
  std::string errorText;
  const int code = RunBakeChildProtocol(arguments, MakeMfEncodeSink, errorText);
  MFShutdown();
  if (!errorText.empty()) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    WriteWholeFile(U16(temp) + u"lh-bake-err.txt", errorText);
  }
  return code;
}
