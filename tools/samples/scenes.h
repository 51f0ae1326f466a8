#pragma once
// The four sample pictures and the bake preset each one is baked with.
#include <string>
#include <vector>

#include "canvas.h"

namespace samples {

struct Scene {
  const char* name;    // the video's file name without ".mp4"
  const char* preset;  // the lumenhollow-bake preset that suits it (a seamless one)
  Canvas (*paint)(int width, int height);
  float exposure;
};

const std::vector<Scene>& Scenes();

Canvas MistyPeaks(int width, int height);
Canvas NightDrive(int width, int height);
Canvas DeepSpace(int width, int height);
Canvas OceanDusk(int width, int height);

}  // namespace samples
