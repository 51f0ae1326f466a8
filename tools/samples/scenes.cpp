#include "scenes.h"

namespace samples {

// Each preset loops seamlessly: Sunbeam and Vintage film do not, so none
// of the samples uses them.
const std::vector<Scene>& Scenes() {
  static const std::vector<Scene> kScenes = {
      {"misty-peaks", "cloud-shadows", MistyPeaks, 1.0f},
      {"night-drive", "bokeh-lights", NightDrive, 1.0f},
      {"deep-space", "sparkle", DeepSpace, 1.0f},
      {"ocean-dusk", "dreamy-ripple", OceanDusk, 1.0f},
  };
  return kScenes;
}

}  // namespace samples
