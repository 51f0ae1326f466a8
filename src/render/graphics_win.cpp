#include "render/graphics_win.h"

// The device, its shared objects and the web-view environments arrive with
// the renderers; nothing is held yet.
void ReleaseGraphicsAtExit() {}
