// lumenhollow-samples: paints the sample wallpaper pictures, the same bytes on
// every run, for lumenhollow-bake to animate.
//   lumenhollow-samples FOLDER [--size WxH] [NAME...]   writes FOLDER/NAME.png
//   lumenhollow-samples --list                          prints "NAME PRESET" lines
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "scenes.h"

int main(int argc, char** argv) {
  using namespace samples;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() == 1 && args[0] == "--list") {
    for (const Scene& s : Scenes()) std::printf("%s %s\n", s.name, s.preset);
    return 0;
  }
  int width = 2560, height = 1440;
  std::string folder;
  std::vector<std::string> wanted;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--size" && i + 1 < args.size()) {
      if (std::sscanf(args[++i].c_str(), "%dx%d", &width, &height) != 2 || width < 16 || height < 16 ||
          width > 8192 || height > 8192) {
        std::fprintf(stderr, "lumenhollow-samples: --size takes WIDTHxHEIGHT, 16 to 8192\n");
        return 2;
      }
    } else if (folder.empty()) {
      folder = args[i];
    } else {
      wanted.push_back(args[i]);
    }
  }
  if (folder.empty()) {
    std::fprintf(stderr, "usage: lumenhollow-samples FOLDER [--size WxH] [NAME...] | --list\n");
    return 2;
  }
  int written = 0;
  for (const Scene& s : Scenes()) {
    bool chosen = wanted.empty();
    for (const std::string& w : wanted) chosen |= w == s.name;
    if (!chosen) continue;
    const Canvas canvas = s.paint(width, height);
    const std::string path = folder + "/" + s.name + ".png";
    if (!WritePng(path, width, height, ToSrgb8(canvas, s.exposure))) {
      std::fprintf(stderr, "lumenhollow-samples: cannot write %s\n", path.c_str());
      return 1;
    }
    ++written;
  }
  if (written != static_cast<int>(wanted.empty() ? Scenes().size() : wanted.size())) {
    std::fprintf(stderr, "lumenhollow-samples: unknown picture name (see --list)\n");
    return 2;
  }
  return 0;
}
