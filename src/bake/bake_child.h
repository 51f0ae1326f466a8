#pragma once
// The bake child protocol that both platforms speak, on the text after
// "--bake ": "<preset> <size> <source>|<output>".
#include <functional>
#include <memory>
#include <string>

#include "bake/encode_loop.h"

// Decodes the source, renders the preset and encodes the 12-second loop to the
// output with a sink from `makeSink`. Returns the process exit code; after an
// encode failure `errorText` holds what the error file must say. The sink is
// gone when this returns.
int RunBakeChildProtocol(const std::u16string& text, const std::function<std::unique_ptr<EncodeSink>()>& makeSink,
                         std::string& errorText);

// 10 plus the step of the last encode failure (1 to 6), as the child exits.
int EncodeFailureExitCode();
