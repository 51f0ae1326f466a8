#include "base/app_facts_win.h"

AppFacts gApp;
