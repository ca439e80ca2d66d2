#include "FishTextures.h"

#include "Canvas.h"
#include "Noise.h"
#include "math/Angles.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace content
{

namespace
{

struct SFinTexel
{
    int fin = -1;
    float ray = 0, reach = 0;
};

class CSkinShader
{
public:
    CSkinShader(SFishSpecies const& species, SFishPalette const& palette, SFishGeometry const& geometry,
                std::uint32_t seed)
        : m_species(species), m_palette(palette), m_body(species), m_mapping(geometry.mapping), m_seed(seed)
    {}

    // The body colour at world (x, z) with body coordinates s and t (-1 belly, 1 back).
    SColour Body(float x, float z, float s, float t) const
    {
        SColour colour = MixColour(m_palette.belly, m_palette.back, SmoothStep(-0.55f, 0.75f, t));
        colour = Pattern(colour, x, z, s, t);
        // Scales: darker rims around small cells, plus a soft mottling.
        float const cell = noise::Cellular(x * 55.0f, z * 55.0f + t * 2.0f, m_seed);
        float shade = 0.9f + 0.1f * SmoothStep(0.15f, 0.55f, cell);
        shade *= 0.94f + 0.12f * noise::Fractal(x * 6.0f, z * 6.0f, 3, m_seed + 11u);
        shade *= 1.0f + 0.12f * SmoothStep(-0.6f, -1.0f, t); // pale belly rim
        colour = colour * shade;
        // Gill cover.
        float const gill = 0.74f + 0.05f * t * t;
        if (std::fabs(s - gill) < 0.007f && std::fabs(t) < 0.8f) {
            colour = colour * 0.72f;
        }
        // Mouth.
        if (s > 0.965f && std::fabs(t + 0.12f) < 0.06f) {
            colour = colour * 0.55f;
        }
        return Eye(colour, x, z);
    }

    SColour Fin(EFin fin, float ray, float reach, float x, float z) const
    {
        float const frequency = fin == EFin::Tail ? 9.0f : fin == EFin::Pectoral ? 5.0f : 7.0f;
        float const rays = std::pow(0.5f + 0.5f * std::cos(ray * math::Pi * frequency * 2.0f), 6.0f);
        SColour colour = MixColour(m_palette.back, m_palette.fin, SmoothStep(0.0f, 0.35f, reach));
        colour = colour * (0.82f + 0.3f * rays);
        float const s = m_body.GetS(x);
        switch (m_species.pattern) {
        case EFishPattern::Bands:
            if (reach > 0.8f) {
                colour = MixColour(colour, m_palette.accent, SmoothStep(0.8f, 0.9f, reach));
            }
            break;
        case EFishPattern::Bars:
            colour = MixColour(colour, m_palette.pattern, 0.8f * BarCoverage(s));
            break;
        case EFishPattern::NeonStripe:
            if (fin == EFin::Anal) {
                colour = MixColour(colour, m_palette.accent, 0.35f);
            }
            break;
        case EFishPattern::EyeSpot:
            if (fin == EFin::Dorsal || fin == EFin::Anal) {
                colour = MixColour(colour, m_palette.pattern, SmoothStep(0.75f, 0.85f, reach));
            }
            break;
        case EFishPattern::Spots: {
            float const cell = noise::Cellular(x * 18.0f, z * 18.0f, m_seed + 3u);
            colour = MixColour(colour, m_palette.pattern, 1.0f - SmoothStep(0.2f, 0.3f, cell));
            break;
        }
        case EFishPattern::Surgeon:
            if (fin == EFin::Tail) {
                colour = MixColour(m_palette.accent, m_palette.pattern,
                                   SmoothStep(0.75f, 0.9f, std::fabs(ray)) * 0.8f);
            } else if (fin != EFin::Pectoral) {
                colour = MixColour(colour, m_palette.pattern, SmoothStep(0.7f, 0.85f, reach));
            } else {
                colour = MixColour(colour, m_palette.accent, 0.4f);
            }
            break;
        }
        (void)z;
        return colour;
    }

    float FinAlpha(EFin fin, float ray, float reach) const
    {
        float const frequency = fin == EFin::Tail ? 9.0f : fin == EFin::Pectoral ? 5.0f : 7.0f;
        float const rays = std::pow(0.5f + 0.5f * std::cos(ray * math::Pi * frequency * 2.0f), 6.0f);
        float alpha = (fin == EFin::Pectoral ? 0.42f : 0.58f) + 0.25f * rays;
        alpha *= 1.0f - 0.4f * reach * reach;
        alpha = Mix(0.95f, alpha, SmoothStep(0.0f, 0.25f, reach)); // firm near the body
        return alpha;
    }

private:
    float BarCoverage(float s) const
    {
        float coverage = 0.0f;
        for (float centre : {0.2f, 0.47f, 0.72f, 0.88f}) {
            float const width = centre > 0.85f ? 0.035f : 0.055f;
            coverage = std::max(coverage, 1.0f - SmoothStep(width * 0.55f, width, std::fabs(s - centre)));
        }
        return coverage;
    }

    SColour Pattern(SColour colour, float x, float z, float s, float t) const
    {
        switch (m_species.pattern) {
        case EFishPattern::Bands: {
            static constexpr float Centres[] = {0.12f, 0.47f, 0.8f};
            static constexpr float Widths[] = {0.03f, 0.065f, 0.05f};
            for (int i = 0; i < 3; ++i) {
                float const wobble =
                    0.018f * std::sin(t * 3.2f + static_cast<float>(i) * 1.7f) + (i == 1 ? -0.05f * t : 0.0f);
                float const d = std::fabs(s - Centres[i] - wobble);
                float const white = 1.0f - SmoothStep(Widths[i] - 0.006f, Widths[i], d);
                float const rim = 1.0f - SmoothStep(Widths[i] + 0.012f, Widths[i] + 0.02f, d);
                colour = MixColour(colour, m_palette.accent, rim);
                colour = MixColour(colour, m_palette.pattern, white);
            }
            break;
        }
        case EFishPattern::Bars:
            colour = MixColour(colour, m_palette.pattern, 0.85f * BarCoverage(s + 0.02f * t));
            break;
        case EFishPattern::NeonStripe: {
            float const centre = 0.18f - 0.05f * (s - 0.5f);
            float const stripe = 1.0f - SmoothStep(0.08f, 0.16f, std::fabs(t - centre));
            float const along = SmoothStep(0.08f, 0.2f, s) * (1.0f - SmoothStep(0.82f, 0.9f, s));
            colour = MixColour(colour, m_palette.pattern, stripe * along);
            float const red = SmoothStep(0.05f, -0.15f, t) * (1.0f - SmoothStep(0.5f, 0.6f, s)) *
                              SmoothStep(-0.95f, -0.7f, t);
            colour = MixColour(colour, m_palette.accent, 0.9f * red);
            break;
        }
        case EFishPattern::EyeSpot: {
            float const lines = std::pow(0.5f + 0.5f * std::sin((s * 9.0f + t * 2.5f) * math::Pi), 10.0f);
            colour = MixColour(colour, m_palette.pattern, 0.22f * lines * SmoothStep(0.8f, 0.6f, s));
            float const band = 1.0f - SmoothStep(0.03f, 0.045f, std::fabs(s - 0.87f + 0.02f * t));
            colour = MixColour(colour, m_palette.pattern, band * SmoothStep(-0.9f, -0.7f, t));
            float const spotX = m_body.GetX(0.24f),
                        spotZ = m_body.GetCentreZ(0.24f) + 0.45f * m_body.GetHalfHeight(0.24f);
            float const d = std::hypot(x - spotX, z - spotZ) / m_species.bodyHeight;
            colour = MixColour(colour, m_palette.accent, 1.0f - SmoothStep(0.15f, 0.18f, d));
            colour = MixColour(colour, m_palette.pattern, 1.0f - SmoothStep(0.11f, 0.13f, d));
            break;
        }
        case EFishPattern::Spots: {
            float hash = 0.0f;
            float const cell = noise::Cellular(x * 16.0f, z * 16.0f, m_seed + 3u, &hash);
            float const radius = 0.2f + 0.1f * hash;
            colour = MixColour(colour, m_palette.pattern, 1.0f - SmoothStep(radius - 0.05f, radius, cell));
            break;
        }
        case EFishPattern::Surgeon: {
            float const sweep = 0.42f - 0.75f * (0.88f - s) * (0.88f - s);
            float const width = 0.2f * std::sin(math::Pi * Clamp01((s - 0.12f) / 0.76f));
            float const mark =
                (1.0f - SmoothStep(width * 0.7f, width, std::fabs(t - sweep))) * SmoothStep(0.1f, 0.2f, s);
            colour = MixColour(colour, m_palette.pattern, mark);
            colour = MixColour(colour, m_palette.accent, 1.0f - SmoothStep(0.06f, 0.12f, s));
            break;
        }
        }
        return colour;
    }

    SColour Eye(SColour colour, float x, float z) const
    {
        float const eyeS = 0.86f;
        float const eyeX = m_body.GetX(eyeS);
        float const eyeZ = m_body.GetCentreZ(eyeS) + 0.28f * m_body.GetHalfHeight(eyeS);
        float const radius = 0.16f * m_species.bodyHeight + 0.01f;
        float const d = std::hypot(x - eyeX, z - eyeZ) / radius;
        if (d > 1.2f) {
            return colour;
        }
        SColour const iris = MixColour(HexColour(0xD8A838), HexColour(0x6A4A18), SmoothStep(0.5f, 1.0f, d));
        colour = MixColour(colour, colour * 0.6f, 1.0f - SmoothStep(1.05f, 1.2f, d));
        colour = MixColour(colour, iris, 1.0f - SmoothStep(0.95f, 1.05f, d));
        colour = MixColour(colour, HexColour(0x050505), 1.0f - SmoothStep(0.52f, 0.6f, d));
        float const glint = std::hypot(x - eyeX - 0.3f * radius, z - eyeZ - 0.3f * radius) / radius;
        colour = MixColour(colour, HexColour(0xFFFFFF), 1.0f - SmoothStep(0.12f, 0.2f, glint));
        return colour;
    }

    SFishSpecies const& m_species;
    SFishPalette const& m_palette;
    CFishBody m_body;
    SFishSideMapping m_mapping;
    std::uint32_t m_seed;
};

} // namespace

SFishTextures CFishTexturePainter::Paint(SFishSpecies const& species, unsigned int palette,
                                         SFishGeometry const& geometry)
{
    constexpr unsigned int N = Size;
    std::vector<SFinTexel> fins(N * N);
    for (auto const& triangle : geometry.finTriangles) {
        RasterizeTriangle(triangle.u[0] * N, (1.0f - triangle.v[0]) * N, triangle.u[1] * N,
                          (1.0f - triangle.v[1]) * N, triangle.u[2] * N, (1.0f - triangle.v[2]) * N, N, N,
                          [&](unsigned int x, unsigned int y, float w0, float w1, float w2) {
                              SFinTexel& texel = fins[y * N + x];
                              texel.fin = static_cast<int>(triangle.fin);
                              texel.ray = triangle.ray[0] * w0 + triangle.ray[1] * w1 + triangle.ray[2] * w2;
                              texel.reach =
                                  triangle.reach[0] * w0 + triangle.reach[1] * w1 + triangle.reach[2] * w2;
                          });
    }
    SFishPalette const& colours = species.palettes[palette % species.palettes.size()];
    CSkinShader const shader(species, colours, geometry, 977u + palette * 31u);
    CFishBody const body(species);
    SFishSideMapping const& mapping = geometry.mapping;
    CCanvas canvas(N, N);
    for (unsigned int y = 0; y < N; ++y) {
        for (unsigned int x = 0; x < N; ++x) {
            float const u = (static_cast<float>(x) + 0.5f) / N;
            float const v = 1.0f - (static_cast<float>(y) + 0.5f) / N;
            float const wx = mapping.GetX(u), wz = mapping.GetZ(v);
            float const s = body.GetS(wx);
            bool const sideView = v >= SFishSideMapping::V0 - 0.01f;
            if (sideView && s >= -0.02f && s <= 1.0f) {
                float const sc = std::clamp(s, 0.0f, 1.0f);
                float const half = std::max(body.GetHalfHeight(sc), 1e-4f);
                float const t = (wz - body.GetCentreZ(sc)) / half;
                if (std::fabs(t) <= 1.04f) {
                    canvas.Set(x, y, shader.Body(wx, wz, sc, std::clamp(t, -1.0f, 1.0f)), 1.0f);
                    continue;
                }
            }
            SFinTexel const& texel = fins[y * N + x];
            if (texel.fin >= 0) {
                EFin const fin = static_cast<EFin>(texel.fin);
                float const fx = fin == EFin::Pectoral ? body.GetX(0.7f) : wx;
                canvas.Set(x, y, shader.Fin(fin, texel.ray, texel.reach, fx, wz),
                           shader.FinAlpha(fin, texel.ray, texel.reach));
            } else {
                canvas.Set(x, y, colours.fin, 0.0f);
            }
        }
    }
    return {canvas.ToRgb(), canvas.ToAlpha()};
}

} // namespace content
