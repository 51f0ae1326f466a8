#include "bake/bake_child_win.h"

#include <windows.h>
#include <mfapi.h>

#include <atomic>

#include "app/files_win.h"
#include "app/wide_win.h"
#include "bake/bake_naming.h"
#include "bake/encode_sink_win.h"
#include "bake/picture_decode.h"

int RunBakeChild(const std::u16string& arguments) {
  const BakeChildArguments args = ParseBakeChildArguments(arguments);
  if (!args.hasSeparator) return kExitBadArguments;
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  if (!DecodePictureForBake(args.source, args.size, pixels, width, height)) return kExitUndecodable;
  BakeEffect effect;
  effect.Init(std::move(pixels), width, height, args.preset);
  const std::atomic<uint8_t> never{0};
  bool ok;
  {
    std::unique_ptr<EncodeSink> sink = MakeMfEncodeSink();
    ok = EncodeLoopVideo(effect, *sink, args.output, 30, 360, never, nullptr);
  }
  MFShutdown();
  if (ok) return kExitBaked;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  WriteWholeFile(U16(temp) + u"lh-bake-err.txt",
                 FormatEncodeError(gEncodeFailureStep, gEncodeFailureResult, args.output));
  const bool known = gEncodeFailureStep >= 1 && gEncodeFailureStep <= 6;
  return kExitEncodeFailed + (known ? gEncodeFailureStep : 0);
}
