#pragma once

#include <cstdint>

namespace content
{

// Deterministic lattice noise for procedural textures (no hidden state).
namespace noise
{
float Hash(int x, int y, std::uint32_t seed);
// Smooth value noise in [0, 1].
float Value(float x, float y, std::uint32_t seed);
// Fractal sum of `octaves` value-noise layers, in [0, 1].
float Fractal(float x, float y, int octaves, std::uint32_t seed);
// Distance to the nearest jittered cell centre (cells of size 1) and that cell's hash.
float Cellular(float x, float y, std::uint32_t seed, float* cellHash = nullptr);
} // namespace noise

float Clamp01(float value);
float SmoothStep(float edge0, float edge1, float value);
float Mix(float a, float b, float t);

} // namespace content
