#pragma once
// The two shaders every surface shares, compiled once per device.
#include <string_view>

// One triangle that covers the whole target, from the vertex index alone: no
// vertex buffer, no input layout.
inline constexpr std::string_view kFullScreenVertexShader =
    "float4 main(uint id : SV_VertexID) : SV_Position {  float2 uv = float2((id << 1) & 2, id & 2);  return "
    "float4(uv * float2(2, -2) + float2(-1, 1), 0, 1); }";

// Samples the source rectangle `uvr` stretched over a target of `res` pixels.
// The sampler clamps, so the picture's outermost pixels keep their colour when
// scaled up; outside the picture (the fit bars) the colour is multiplied by 0,
// which leaves opaque black. Comparisons cast to float, because Wine's HLSL
// compiler lacks step() and the ?: operator.
inline constexpr std::string_view kBlitPixelShader =
    "Texture2D tx : register(t0); SamplerState ss : register(s0);cbuffer C : register(b0) { float4 uvr; float2 res; "
    "float2 pad; };float4 main(float4 p : SV_Position) : SV_Target {  float2 t = uvr.xy + p.xy / res * uvr.zw;  "
    "float inside = (float)(t.x >= 0) * (float)(t.x <= 1) * (float)(t.y >= 0) * (float)(t.y <= 1);  "
    "return float4(tx.Sample(ss, t).rgb * inside, 1); }";
