#include "bake/bake_thread_win.h"

// No bake thread exists until bake jobs are built.
void CancelAndJoinBake() {}
