#include "TankTextures.h"

#include "Noise.h"
#include "math/Angles.h"

#include <algorithm>
#include <cmath>

namespace content
{

namespace
{

struct SColour
{
    float r, g, b;
};

SColour Lerp(SColour const& a, SColour const& b, float t)
{
    return {Mix(a.r, b.r, t), Mix(a.g, b.g, t), Mix(a.b, b.b, t)};
}

void Put(SPicture& picture, unsigned int x, unsigned int y, SColour const& colour)
{
    std::uint8_t* pixel = picture.At(x, y);
    pixel[0] = static_cast<std::uint8_t>(Clamp01(colour.r) * 255.0f + 0.5f);
    pixel[1] = static_cast<std::uint8_t>(Clamp01(colour.g) * 255.0f + 0.5f);
    pixel[2] = static_cast<std::uint8_t>(Clamp01(colour.b) * 255.0f + 0.5f);
}

// Value noise whose lattice repeats every `period` cells, so a picture of whole periods tiles.
float PeriodicValue(float x, float y, int period, std::uint32_t seed)
{
    int const ix = static_cast<int>(std::floor(x)), iy = static_cast<int>(std::floor(y));
    float const fx = x - static_cast<float>(ix), fy = y - static_cast<float>(iy);
    auto wrap = [period](int v) { return ((v % period) + period) % period; };
    auto corner = [&](int dx, int dy) { return noise::Hash(wrap(ix + dx), wrap(iy + dy), seed); };
    float const sx = fx * fx * (3.0f - 2.0f * fx), sy = fy * fy * (3.0f - 2.0f * fy);
    return Mix(Mix(corner(0, 0), corner(1, 0), sx), Mix(corner(0, 1), corner(1, 1), sx), sy);
}

// Octaves of periodic noise over a unit square (u, v in 0 ... 1), in 0 ... 1.
float PeriodicFractal(float u, float v, int basePeriod, int octaves, std::uint32_t seed)
{
    float sum = 0.0f, weight = 0.5f, total = 0.0f;
    int period = basePeriod;
    for (int octave = 0; octave < octaves; ++octave) {
        sum += weight * PeriodicValue(u * static_cast<float>(period), v * static_cast<float>(period), period,
                                      seed + static_cast<std::uint32_t>(octave) * 7919u);
        total += weight;
        weight *= 0.5f;
        period *= 2;
    }
    return sum / total;
}

// Every pixel is `shade(x, y, u, v)`, with u and v its place in the picture (0 ... 1, the far
// edges excluded).
template <class Shade> void PaintEach(SPicture& picture, Shade shade)
{
    for (unsigned int y = 0; y < picture.height; ++y) {
        for (unsigned int x = 0; x < picture.width; ++x) {
            float const u = static_cast<float>(x) / picture.width, v = static_cast<float>(y) / picture.height;
            Put(picture, x, y, shade(x, y, u, v));
        }
    }
}

// A blade or leaf: u across it, v from the tip (row 0) to the root. Each pixel is
// `shade(x, along, across, colour)`, with `along` 0 at the tip and 1 at the root, `across`
// 0 on the middle line and 1 at the edges, and `colour` the tip-to-root colour of its row.
template <class Shade>
void PaintBlade(SPicture& picture, SColour const& tip, SColour const& root, Shade shade)
{
    for (unsigned int y = 0; y < picture.height; ++y) {
        float const along = static_cast<float>(y) / (picture.height - 1);
        SColour const colour = Lerp(tip, root, along);
        for (unsigned int x = 0; x < picture.width; ++x) {
            float const across = std::fabs(static_cast<float>(x) / (picture.width - 1) * 2.0f - 1.0f);
            Put(picture, x, y, shade(x, along, across, colour));
        }
    }
}

} // namespace

SPicture CTankTexturePainter::Backdrop()
{
    // Row 0 is the top: bright water under the surface, deepening to blue-green below.
    SPicture picture(128, 256, 3);
    SColour const surface{0.52f, 0.80f, 0.93f};
    SColour const middle{0.16f, 0.50f, 0.72f};
    SColour const deep{0.03f, 0.20f, 0.36f};
    for (unsigned int y = 0; y < picture.height; ++y) {
        float const depth = static_cast<float>(y) / static_cast<float>(picture.height - 1);
        SColour base = depth < 0.45f ? Lerp(surface, middle, depth / 0.45f)
                                     : Lerp(middle, deep, (depth - 0.45f) / 0.55f);
        for (unsigned int x = 0; x < picture.width; ++x) {
            float const u = static_cast<float>(x) / static_cast<float>(picture.width);
            // Soft shafts of light from the surface, fading with depth.
            float const shafts = PeriodicFractal(u + depth * 0.08f, 0.0f, 6, 2, 31u);
            float const light = SmoothStep(0.55f, 0.85f, shafts) * (1.0f - depth) * 0.22f;
            Put(picture, x, y, {base.r + light, base.g + light, base.b + light * 0.8f});
        }
    }
    return picture;
}

SPicture CTankTexturePainter::Sand()
{
    SPicture picture(256, 256, 3);
    SColour const light{0.93f, 0.85f, 0.68f};
    SColour const dark{0.70f, 0.60f, 0.44f};
    PaintEach(picture, [&](unsigned int x, unsigned int y, float u, float v) -> SColour {
        float const grain = noise::Hash(static_cast<int>(x), static_cast<int>(y), 4711u);
        float const patches = PeriodicFractal(u, v, 4, 4, 4712u);
        SColour colour = Lerp(dark, light, Clamp01(patches * 1.2f - 0.1f));
        float const speck = grain > 0.97f ? -0.18f : (grain < 0.03f ? 0.08f : 0.0f);
        float const jitter = (grain - 0.5f) * 0.08f + speck;
        return {colour.r + jitter, colour.g + jitter, colour.b + jitter * 0.9f};
    });
    return picture;
}

SPicture CTankTexturePainter::Shadow()
{
    SPicture picture(64, 64, 3);
    for (unsigned int y = 0; y < picture.height; ++y) {
        for (unsigned int x = 0; x < picture.width; ++x) {
            float const u = (static_cast<float>(x) + 0.5f) / picture.width * 2.0f - 1.0f;
            float const v = (static_cast<float>(y) + 0.5f) / picture.height * 2.0f - 1.0f;
            float const d = std::min(1.0f, std::hypot(u, v));
            // A broad bell that reaches zero at the rim, so the square's edges never show and
            // little of the square is drawn for nothing.
            float const value = std::exp(-d * d * 1.6f) * (1.0f - SmoothStep(0.55f, 1.0f, d));
            Put(picture, x, y, {value, value, value});
        }
    }
    return picture;
}

SPicture CTankTexturePainter::Caustic(unsigned int frame)
{
    SPicture picture(128, 128, 3);
    float const phase = 2.0f * math::Pi * static_cast<float>(frame % CausticFrames) / CausticFrames;
    // Whole wave numbers and whole turns per loop keep the pattern seamless in space and time.
    struct SWave
    {
        float a, b, turns, offset;
    };
    constexpr SWave waves[] = {{2, 1, 1, 0.0f}, {-1, 3, -1, 1.3f}, {3, -2, 2, 2.1f}, {1, 2, -1, 4.0f}};
    PaintEach(picture, [&](unsigned int, unsigned int, float u, float v) -> SColour {
        float warp = 0.0f;
        for (SWave const& wave : waves)
            warp += std::sin(2.0f * math::Pi * (wave.b * u - wave.a * v) + wave.offset + phase * wave.turns);
        float field = 0.0f;
        for (SWave const& wave : waves)
            field += std::sin(2.0f * math::Pi * (wave.a * u + wave.b * v) + warp * 0.9f + phase * wave.turns);
        float const line = std::exp(-field * field * 2.5f);
        return {line, line, line};
    });
    return picture;
}

SPicture CTankTexturePainter::Rock()
{
    SPicture picture(128, 128, 3);
    SColour const grey{0.46f, 0.45f, 0.42f};
    SColour const brown{0.42f, 0.34f, 0.26f};
    SColour const moss{0.28f, 0.40f, 0.22f};
    PaintEach(picture, [&](unsigned int x, unsigned int y, float u, float v) -> SColour {
        float const body = PeriodicFractal(u, v, 4, 5, 911u);
        float const strata = 0.5f + 0.5f * std::sin(2.0f * math::Pi * (v * 6.0f + body * 1.5f));
        SColour colour = Lerp(brown, grey, Clamp01(body * 1.4f - 0.2f));
        colour = Lerp(colour, moss, SmoothStep(0.62f, 0.8f, PeriodicFractal(u, v, 8, 3, 912u)) * 0.7f);
        float const shade = 0.8f + 0.25f * strata + (noise::Hash(int(x), int(y), 913u) - 0.5f) * 0.12f;
        return {colour.r * shade, colour.g * shade, colour.b * shade};
    });
    return picture;
}

SPicture CTankTexturePainter::Grass()
{
    SPicture picture(32, 128, 3);
    PaintBlade(picture, {0.46f, 0.78f, 0.30f}, {0.10f, 0.32f, 0.12f},
               [](unsigned int x, float along, float across, SColour const& colour) -> SColour {
                   float const vein = across < 0.12f ? 0.12f : 0.0f;
                   float const edge = 1.0f - 0.25f * across * across;
                   float const streak =
                       (PeriodicValue(static_cast<float>(x) * 0.4f, along * 6.0f, 13, 77u) - 0.5f) * 0.1f;
                   return {colour.r * edge + vein + streak, colour.g * edge + vein + streak,
                           colour.b * edge + vein * 0.5f};
               });
    return picture;
}

SPicture CTankTexturePainter::Bush()
{
    SPicture picture(64, 64, 3);
    PaintBlade(picture, {0.92f, 0.42f, 0.30f}, {0.36f, 0.10f, 0.12f},
               [](unsigned int, float, float across, SColour const& colour) -> SColour {
                   float const rib = 0.5f + 0.5f * std::cos(across * math::Pi * 5.0f);
                   float const shade = 0.85f + 0.15f * rib - 0.2f * across * across;
                   return {colour.r * shade, colour.g * shade, colour.b * shade};
               });
    return picture;
}

} // namespace content
