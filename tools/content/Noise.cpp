#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace content
{

namespace noise
{

float Hash(int x, int y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u;
    h ^= static_cast<std::uint32_t>(x) * 0x85EBCA6Bu;
    h = (h << 13) | (h >> 19);
    h ^= static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return static_cast<float>(h & 0xFFFFFF) / 16777216.0f;
}

float Value(float x, float y, std::uint32_t seed)
{
    int const ix = static_cast<int>(std::floor(x));
    int const iy = static_cast<int>(std::floor(y));
    float const fx = x - static_cast<float>(ix);
    float const fy = y - static_cast<float>(iy);
    float const sx = fx * fx * (3.0f - 2.0f * fx);
    float const sy = fy * fy * (3.0f - 2.0f * fy);
    float const a = Hash(ix, iy, seed), b = Hash(ix + 1, iy, seed);
    float const c = Hash(ix, iy + 1, seed), d = Hash(ix + 1, iy + 1, seed);
    return Mix(Mix(a, b, sx), Mix(c, d, sx), sy);
}

float Fractal(float x, float y, int octaves, std::uint32_t seed)
{
    float sum = 0.0f, amplitude = 0.5f, total = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += Value(x, y, seed + static_cast<std::uint32_t>(i) * 7919u) * amplitude;
        total += amplitude;
        x = x * 2.03f + 17.0f;
        y = y * 2.03f + 5.0f;
        amplitude *= 0.5f;
    }
    return total > 0.0f ? sum / total : 0.0f;
}

float Cellular(float x, float y, std::uint32_t seed, float* cellHash)
{
    int const ix = static_cast<int>(std::floor(x));
    int const iy = static_cast<int>(std::floor(y));
    float best = 10.0f;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            int const cx = ix + dx, cy = iy + dy;
            float const px = static_cast<float>(cx) + Hash(cx, cy, seed);
            float const py = static_cast<float>(cy) + Hash(cx, cy, seed + 1u);
            float const distance = std::hypot(px - x, py - y);
            if (distance < best) {
                best = distance;
                if (cellHash != nullptr) {
                    *cellHash = Hash(cx, cy, seed + 2u);
                }
            }
        }
    }
    return best;
}

} // namespace noise

float Clamp01(float value)
{
    return std::clamp(value, 0.0f, 1.0f);
}

float SmoothStep(float edge0, float edge1, float value)
{
    float const t = Clamp01((value - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

float Mix(float a, float b, float t)
{
    return a + (b - a) * t;
}

} // namespace content
