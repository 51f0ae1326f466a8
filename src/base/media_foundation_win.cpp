#include "base/media_foundation_win.h"

#include <windows.h>
#include <mfapi.h>

#include "base/trace_win.h"

namespace {

bool gStarted = false;

}  // namespace

void StartMediaFoundation() {
  if (gStarted) return;
  TraceSpan span(u"media-foundation");
  gStarted = SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_LITE));
}

void ShutdownMediaFoundation() {
  if (!gStarted) return;
  gStarted = false;
  MFShutdown();
}
