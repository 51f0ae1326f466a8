#include "scenes.h"

namespace samples {

// Each preset loops seamlessly: Sunbeam and Vintage film do not, so none
// of the samples uses them. Cloud shadows would darken the misty sky itself.
const std::vector<Scene>& Scenes() {
  static const std::vector<Scene> kScenes = {
      {"misty-peaks", "gentle-drift", MistyPeaks, 1.0f},
      {"night-drive", "bokeh-lights", NightDrive, 1.0f},
      {"deep-space", "sparkle", DeepSpace, 1.0f},
      {"ocean-dusk", "dreamy-ripple", OceanDusk, 1.0f},
  };
  return kScenes;
}

}  // namespace samples
