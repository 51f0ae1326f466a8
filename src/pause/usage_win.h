#pragma once
#include "pause/usage.h"

// This process's CPU share and private memory, sampled once a second.
void UpdateUsageFigures();
const UsageFigures& CurrentUsage();
