#include "library/samples.h"

std::u16string_view SampleWallpaperName(unsigned index) {
  static constexpr std::u16string_view kSamples[] = {u"misty-peaks.mp4", u"night-drive.mp4",
                                                     u"deep-space.mp4", u"ocean-dusk.mp4"};
  return kSamples[index % 4];
}
