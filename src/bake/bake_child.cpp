#include "bake/bake_child.h"

#include <atomic>
#include <vector>

#include "bake/bake_naming.h"
#include "bake/picture_decode.h"

int RunBakeChildProtocol(const std::u16string& text, const std::function<std::unique_ptr<EncodeSink>()>& makeSink,
                         std::string& errorText) {
  const BakeChildArguments args = ParseBakeChildArguments(text);
  if (!args.hasSeparator) return kExitBadArguments;
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  if (!DecodePictureForBake(args.source, args.size, pixels, width, height)) return kExitUndecodable;
  BakeEffect effect;
  effect.Init(std::move(pixels), width, height, args.preset);
  const std::atomic<uint8_t> never{0};
  if (EncodeLoopVideo(effect, *makeSink(), args.output, 30, 360, never, nullptr)) return kExitBaked;
  errorText = FormatEncodeError(gEncodeFailureStep, gEncodeFailureResult, args.output);
  return EncodeFailureExitCode();
}

int EncodeFailureExitCode() {
  const bool known = gEncodeFailureStep >= 1 && gEncodeFailureStep <= 6;
  return kExitEncodeFailed + (known ? gEncodeFailureStep : 0);
}
