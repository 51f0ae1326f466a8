#pragma once
#include <string>

// Runs the bake child protocol on the text after "--bake " and returns the
// process exit code.
int RunBakeChild(const std::u16string& arguments);
