#pragma once
// The two shaders every surface shares, compiled once per device.
#include <string_view>

// One triangle that covers the whole target, from the vertex index alone: no
// vertex buffer, no input layout.
inline constexpr std::string_view kFullScreenVertexShader =
    "float4 main(uint id : SV_VertexID) : SV_Position {  float2 uv = float2((id << 1) & 2, id & 2);  return "
    "float4(uv * float2(2, -2) + float2(-1, 1), 0, 1); }";

// Samples the source rectangle `uvr` stretched over a target of `res` pixels.
// Alpha is forced to 1 so areas outside the picture (the border sampler's
// transparent black) come out opaque black.
inline constexpr std::string_view kBlitPixelShader =
    "Texture2D tx : register(t0); SamplerState ss : register(s0);cbuffer C : register(b0) { float4 uvr; float2 res; "
    "float2 pad; };float4 main(float4 p : SV_Position) : SV_Target {  float2 uv = p.xy / res; return "
    "float4(tx.Sample(ss, uvr.xy + uv * uvr.zw).rgb, 1); }";
