#include "app/app_state_win.h"

ShellState gShell;
