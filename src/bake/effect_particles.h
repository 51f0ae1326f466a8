#pragma once
// The particle layers laid over the moving picture: snow, rain, fireflies,
// bokeh discs, film dust and sparkles.
#include <cstdint>

#include "bake/bake_effect.h"

struct Rgb {
  float r, g, b;
};

// What Init hands to the spawning: the six picture colours, the size scale
// (sizes are given for a 1920-pixel picture) and the palette counter.
struct ParticleSpawnContext {
  Rgb palette[6];
  float sizeScale = 1.0f;
  int32_t paletteCounter = 0;
};

// Appends `count` particles drawn from the effect's generator; without a
// colour they take the picture's palette colours in turn.
void SpawnParticles(BakeEffect& effect, ParticleSpawnContext& context, int32_t count, float sizeMin,
                    float sizeMax, float intensityMin, float intensityMax, float speedMin, float speedMax,
                    const Rgb* colour);
// The layers of a preset, in their fixed order.
void SpawnPresetParticles(BakeEffect& effect, ParticleSpawnContext& context);

void AddDisc(BakeEffect& effect, float cx, float cy, float radius, Rgb colour, float intensity);
void AddLine(BakeEffect& effect, float x0, float y0, float x1, float y1, Rgb colour, float intensity);

// Adds every particle, in spawn order, for loop phase t.
void DrawParticles(BakeEffect& effect, float t);
