// Present stands alone in this file so test builds can link their own
// PresentFrame (one that can fake a removed device) in place of this one.
#include "render/graphics_win.h"

void PresentFrame(IDXGISwapChain1* swapChain) { NoteDeviceLoss(swapChain->Present(0, 0)); }
