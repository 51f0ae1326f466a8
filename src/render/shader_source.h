#pragma once
// The shader wallpaper convention: how a user's file becomes a pixel shader,
// how large it renders and where its clock starts.
#include <cstdint>
#include <string>
#include <string_view>

// The constants the wallpaper sees (register b0, 32 bytes) and "#line 1", so
// compiler messages count lines from the top of the user's file.
inline constexpr std::string_view kShaderPrefix =
    "cbuffer G : register(b0) { float iTime; float3 _p0; float2 iResolution; float2 _p1; };\n#line 1\n";
// The entry point: the user's mainImage gets the pixel position with the
// origin at the bottom-left, and whatever it returns is written opaque.
inline constexpr std::string_view kShaderSuffix =
    "\nfloat4 main(float4 p : SV_Position) : SV_Target { return float4(mainImage(float2(p.x, iResolution.y - "
    "p.y)).rgb, 1); }\n";

// Prefix, the file's bytes untouched, suffix.
std::string BuildShaderSource(std::string_view fileBytes);

struct RenderSize {
  uint32_t width = 1;
  uint32_t height = 1;
};

// The surface size times shaderScale percent, truncated, never below 1 pixel.
RenderSize ShaderRenderSize(uint32_t width, uint32_t height, int32_t shaderScale);

// FNV-1a, 64 bits, over the UTF-16 code units as little-endian byte pairs.
uint64_t Fnv1a64(std::u16string_view text);

// Each file starts its clock at a fixed second from 0 to 999, so the same
// wallpaper looks the same at every start while different ones differ.
double ShaderStartTime(std::u16string_view path);

// The clock shown to the shader wraps every hour, keeping float precision
// while the running time keeps growing.
float ShaderClock(double time);
