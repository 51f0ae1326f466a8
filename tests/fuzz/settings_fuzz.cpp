// lumenhollow.ini as anything a disk, an editor or a sync tool may leave: every
// value lands in its range, every frame is finite, and what is saved reads
// back as itself. The start-up decision over failing reads always ends.
#include <fuzzer/FuzzedDataProvider.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "base/settings.h"
#include "base/settings_load.h"

namespace {

void Fail(const char* what) {
  std::fprintf(stderr, "%s\n", what);
  std::abort();
}

void Check(const Settings& s) {
  const auto in = [](int32_t v, IntRange r) { return v >= r.min && v <= r.max; };
  if (!in(s.fps, kFpsRange) || !in(s.shaderScale, kShaderScaleRange) || !in(s.idle, kIdleRange) ||
      !in(s.idleMin, kIdleMinRange))
    Fail("setting out of range");
  if (s.mode != u"screens" && s.mode != u"span") Fail("mode neither screens nor span");
  for (const auto& [key, f] : s.frames)
    if (!std::isfinite(f.x) || !std::isfinite(f.y) || !std::isfinite(f.zoom)) Fail("frame not finite");
  if (s.rotations.size() > kMaxRotations || s.rules.size() > kMaxRules) Fail("too many rotations or rules");
  for (const auto& [key, r] : s.rotations) {
    if (r.items.empty() || r.items.size() > kMaxRotationItems || !in(r.minutes, kRotationMinutesRange))
      Fail("rotation out of range");
    if (r.round.size() != r.items.size() || r.position < 0 || static_cast<size_t>(r.position) >= r.items.size())
      Fail("rotation round does not fit its items");
    std::vector<bool> seen(r.items.size());
    for (int32_t i : r.round) {
      if (i < 0 || static_cast<size_t>(i) >= seen.size() || seen[static_cast<size_t>(i)]) Fail("round not a permutation");
      seen[static_cast<size_t>(i)] = true;
    }
  }
  for (const ProgramRule& rule : s.rules)
    if (rule.program.empty() || rule.program.size() > kMaxRuleNameLength) Fail("rule without a usable name");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  Settings loaded;
  ParseSettings(bytes, loaded);
  Check(loaded);
  const std::string saved = FormatSettings(loaded);
  Settings again;
  ParseSettings(saved, again);
  Check(again);
  if (FormatSettings(again) != saved) Fail("a saved file does not read back as itself");

  // The same bytes through the start-up decision, with reads that fail, vanish
  // or succeed in the order the input's first bytes say.
  FuzzedDataProvider in(data, std::min<size_t>(size, 16));
  int reads = 0, slept = 0;
  const SettingsReader reader{[&](std::string& out, uint32_t& error) {
                                ++reads;
                                error = in.ConsumeIntegral<uint32_t>();
                                const int pick = in.remaining_bytes() ? in.ConsumeIntegralInRange<int>(0, 2) : 1;
                                if (pick == 0) out = bytes;
                                return pick == 0 ? FileRead::Read : pick == 1 ? FileRead::Failed : FileRead::Missing;
                              },
                              [&](int32_t ms) { slept += ms; }};
  Settings started;
  uint32_t error = 0;
  const SettingsStart start = LoadSettingsFile(reader, started, error);
  if (slept > kSettingsRetryMs || reads > kSettingsRetryMs / kSettingsRetryStepMs + 1) Fail("retried too long");
  if (start != SettingsStart::Loaded && FormatSettings(started) != FormatSettings(Settings{}))
    Fail("settings changed by a file that was not read");
  return 0;
}
