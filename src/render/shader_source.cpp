#include "render/shader_source.h"

#include <algorithm>
#include <cmath>

std::string BuildShaderSource(std::string_view fileBytes) {
  std::string source;
  source.reserve(kShaderPrefix.size() + fileBytes.size() + kShaderSuffix.size());
  source.append(kShaderPrefix);
  source.append(fileBytes);
  source.append(kShaderSuffix);
  return source;
}

RenderSize ShaderRenderSize(uint32_t width, uint32_t height, int32_t shaderScale) {
  const float scale = static_cast<float>(shaderScale) / 100.0f;
  const auto scaled = [scale](uint32_t side) {
    const float s = static_cast<float>(side) * scale;
    return s < 1.0f ? 1u : static_cast<uint32_t>(s);
  };
  return {scaled(width), scaled(height)};
}

uint64_t Fnv1a64(std::u16string_view text) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (const char16_t unit : text) {
    for (const unsigned byte : {unit & 0xFFu, static_cast<unsigned>(unit) >> 8}) {
      hash ^= byte;
      hash *= 0x100000001b3ull;
    }
  }
  return hash;
}

double ShaderStartTime(std::u16string_view path) { return static_cast<double>(Fnv1a64(path) % 1000); }

float ShaderClock(double time) { return static_cast<float>(std::fmod(time, 3600.0)); }
