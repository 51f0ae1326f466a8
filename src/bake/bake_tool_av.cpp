// lumenhollow-bake: the bake engine on Linux, for people and for scripts.
extern "C" {
#include <libavutil/log.h>
}

#include <unistd.h>

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "bake/bake_jobs.h"
#include "bake/bake_child.h"
#include "bake/bake_naming.h"
#include "bake/encode_sink_av.h"
#include "bake/picture_decode.h"

namespace fs = std::filesystem;

namespace {

std::atomic<uint8_t> gInterrupted{0};

void OnInterrupt(int) { gInterrupted.store(1); }

fs::path PathOf(const std::u16string& p) { return fs::path(Utf16ToUtf8(p)); }

std::u16string DisplayNameOf(const std::u16string& source) {
  std::string name = PathOf(source).stem().string();
  for (char& c : name)
    if (c == '-' || c == '_') c = ' ';
  if (!name.empty() && name[0] >= 'a' && name[0] <= 'z') name[0] = static_cast<char>(name[0] - 'a' + 'A');
  return Utf8ToUtf16(name);
}

BakeEnvironment LinuxEnvironment(const std::u16string& folder) {
  BakeEnvironment env;
  env.separator = u'/';
  env.decode = DecodePictureForBake;
  env.makeSink = MakeAvEncodeSink;
  env.exists = [](const std::u16string& p) {
    std::error_code ec;
    return fs::exists(PathOf(p), ec);
  };
  env.createFolder = [](const std::u16string& p) {
    std::error_code ec;
    fs::create_directories(PathOf(p), ec);
  };
  env.deleteFile = [](const std::u16string& p) {
    std::error_code ec;
    fs::remove(PathOf(p), ec);
  };
  env.replaceFile = [](const std::u16string& from, const std::u16string& to) {
    std::error_code ec;
    fs::rename(PathOf(from), PathOf(to), ec);
    return !ec;
  };
  env.log = [](const std::u16string& m) { std::fprintf(stderr, "%s\n", Utf16ToUtf8(m).c_str()); };
  env.displayName = DisplayNameOf;
  env.videoFolder = [folder]() { return folder; };
  env.previewFolder = [folder]() { return folder; };
  return env;
}

void DrawProgress(int32_t pct, const char* what) {
  // A log file gets no bar, only the outcome.
  static const bool terminal = isatty(STDERR_FILENO) != 0;
  if (!terminal) return;
  constexpr int kWidth = 30;
  const int filled = pct * kWidth / 100;
  std::fprintf(stderr, "\r%-14s [%s%s] %3d%%", what, std::string(filled, '#').c_str(),
               std::string(kWidth - filled, '.').c_str(), pct);
  std::fflush(stderr);
}

std::string TemporaryFolder() {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? tmp : "/tmp";
  if (folder.back() != '/') folder += '/';
  return folder;
}

// The child protocol, the same as the Windows program's "--bake ".
int RunChild(const std::u16string& text) {
  std::string errorText;
  const int code = RunBakeChildProtocol(text, MakeAvEncodeSink, errorText);
  if (!errorText.empty())
    std::ofstream(TemporaryFolder() + "lh-bake-err.txt", std::ios::binary | std::ios::trunc) << errorText;
  return code;
}

int PresetFromText(const std::string& text) {
  for (int32_t i = 0; i < kPresetCount; ++i) {
    std::string name = Utf16ToUtf8(kPresetNames[i]);
    std::string squashed;
    for (char c : name)
      if (c != ' ') squashed += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::string wanted;
    for (char c : text)
      if (c != ' ' && c != '-' && c != '_') wanted += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (wanted == squashed) return i;
  }
  char* end = nullptr;
  const long n = std::strtol(text.c_str(), &end, 10);
  return !text.empty() && *end == '\0' && n >= 0 && n < kPresetCount ? static_cast<int>(n) : -1;
}

int Bake(const std::string& picture, int32_t preset, int32_t size, std::string output) {
  const std::u16string source = Utf8ToUtf16(picture);
  if (output.empty()) output = Utf16ToUtf8(DisplayNameOf(source) + u" - " + std::u16string(kPresetNames[preset])) + ".mp4";
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  if (!DecodePictureForBake(source, size, pixels, width, height)) {
    std::fprintf(stderr, "lumenhollow-bake: cannot read the picture %s\n", picture.c_str());
    return kExitUndecodable;
  }
  std::fprintf(stderr, "%s -> %s (%s, %dx%d, 12 s at 30 fps)\n", picture.c_str(), output.c_str(),
               Utf16ToUtf8(kPresetNames[preset]).c_str(), width, height);
  BakeEffect effect;
  effect.Init(std::move(pixels), width, height, preset);
  const BakeEnvironment env = LinuxEnvironment(u".");
  const std::string label = Utf16ToUtf8(kPresetNames[preset]);
  const bool ok = EncodeVideoFile(effect, env, Utf8ToUtf16(output), 30, 360, gInterrupted,
                                  [&](int32_t pct) { DrawProgress(pct, label.c_str()); });
  const bool terminal = isatty(STDERR_FILENO) != 0;
  if (ok) {
    DrawProgress(100, label.c_str());
    std::fprintf(stderr, terminal ? "\n" : "done\n");
    return kExitBaked;
  }
  if (terminal) std::fprintf(stderr, "\n");
  if (gInterrupted.load()) {
    std::fprintf(stderr, "lumenhollow-bake: cancelled; %s is unchanged\n", output.c_str());
    return 130;
  }
  std::fprintf(stderr, "lumenhollow-bake: %s\n",
               FormatEncodeError(gEncodeFailureStep, gEncodeFailureResult, Utf8ToUtf16(output)).c_str());
  return EncodeFailureExitCode();
}

int Previews(const std::string& picture, const std::string& folder) {
  const BakeEnvironment env = LinuxEnvironment(Utf8ToUtf16(folder));
  int ready = 0, failed = 0;
  RunBakeJob(BakeJob{Utf8ToUtf16(picture), -1}, env, gInterrupted, [&](BakeProgressRecord r) {
    if (r.kind == 1) {
      ++ready;
      std::printf("%s %s\n", Utf16ToUtf8(kPresetNames[r.preset]).c_str(), Utf16ToUtf8(r.path).c_str());
      std::fflush(stdout);
    } else if (r.kind == 3) {
      ++failed;
    }
  });
  if (failed) {
    std::fprintf(stderr, "lumenhollow-bake: cannot read the picture %s\n", picture.c_str());
    return kExitUndecodable;
  }
  return ready == kPresetCount ? kExitBaked : kExitEncodeFailed;
}

// One frame of the effect as the encoder hands it over (NV12), for checking
// what a decoder makes of the video.
int DumpFrame(const std::string& picture, int32_t preset, float t, const std::string& output) {
  std::vector<uint32_t> pixels;
  int32_t width = 0, height = 0;
  if (!DecodePictureForBake(Utf8ToUtf16(picture), 0, pixels, width, height)) return kExitUndecodable;
  BakeEffect effect;
  effect.Init(std::move(pixels), width, height, preset);
  effect.RenderFrame(t);
  std::vector<uint8_t> nv12(static_cast<size_t>(width) * height * 3 / 2);
  ConvertToNv12(effect.frame.data(), width, height, nv12.data());
  std::ofstream(output, std::ios::binary).write(reinterpret_cast<const char*>(nv12.data()),
                                                static_cast<std::streamsize>(nv12.size()));
  std::printf("%dx%d\n", width, height);
  return 0;
}

void Usage() {
  std::fprintf(stderr,
               "usage: lumenhollow-bake PICTURE [--preset NAME|0-10] [--size LONG_SIDE] [-o OUT.mp4]\n"
               "       lumenhollow-bake --previews PICTURE FOLDER\n"
               "       lumenhollow-bake --bake \"PRESET SIZE PICTURE|OUT.mp4\"\n"
               "       lumenhollow-bake --presets\n");
}

}  // namespace

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_FATAL);
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "--bake") {
    std::string rest;
    for (size_t i = 1; i < args.size(); ++i) rest += (i > 1 ? " " : "") + args[i];
    return RunChild(Utf8ToUtf16(rest));
  }
  if (!args.empty() && args[0] == "--presets") {
    for (int32_t i = 0; i < kPresetCount; ++i) std::printf("%2d  %s\n", i, Utf16ToUtf8(kPresetNames[i]).c_str());
    return 0;
  }
  if (args.size() == 3 && args[0] == "--previews") return Previews(args[1], args[2]);
  if (args.size() == 5 && args[0] == "--frame-nv12") {
    const int preset = PresetFromText(args[2]);
    if (preset < 0) return kExitBadArguments;
    return DumpFrame(args[1], preset, std::strtof(args[3].c_str(), nullptr), args[4]);
  }

  std::string picture, output;
  int32_t preset = 0, size = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((a == "--preset" || a == "-p") && hasValue) {
      preset = PresetFromText(args[++i]);
      if (preset < 0) {
        std::fprintf(stderr, "lumenhollow-bake: unknown preset %s (see --presets)\n", args[i].c_str());
        return kExitBadArguments;
      }
    } else if (a == "--size" && hasValue) {
      char* end = nullptr;
      const long n = std::strtol(args[++i].c_str(), &end, 10);
      if (*end != '\0' || n < 2 || n > kMaxBakeSide) {
        std::fprintf(stderr, "lumenhollow-bake: --size takes 2 to %d\n", kMaxBakeSide);
        return kExitBadArguments;
      }
      size = static_cast<int32_t>(n);
    } else if (a == "-o" && hasValue) {
      output = args[++i];
    } else if (!a.empty() && a[0] != '-' && picture.empty()) {
      picture = a;
    } else {
      Usage();
      return kExitBadArguments;
    }
  }
  if (picture.empty()) {
    Usage();
    return kExitBadArguments;
  }
  return Bake(picture, preset, size, output);
}
