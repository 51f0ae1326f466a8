#pragma once
// H.264 (libx264) in MP4 through libavcodec and libavformat.
#include <memory>

#include "bake/encode_loop.h"

std::unique_ptr<EncodeSink> MakeAvEncodeSink();
