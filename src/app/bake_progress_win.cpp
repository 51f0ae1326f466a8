#include "app/bake_progress_win.h"

// The bake thread and its progress queue are not part of this build yet, so
// nothing is ever queued.
void DrainBakeProgress() {}
