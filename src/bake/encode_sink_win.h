#pragma once
// H.264 in MP4 through Media Foundation's sink writer. The caller has
// started Media Foundation and COM on this thread.
#include <memory>

#include "bake/encode_loop.h"

std::unique_ptr<EncodeSink> MakeMfEncodeSink();
