// Present stands alone in this file so test builds can link their own
// PresentFrame (one that can fake a removed device) in place of this one.
#include "base/trace_win.h"
#include "render/graphics_win.h"

void PresentFrame(IDXGISwapChain1* swapChain) {
  const HRESULT result = swapChain->Present(0, 0);
  NoteDeviceLoss(result);
  if (SUCCEEDED(result)) TraceFirstPresent();
}
