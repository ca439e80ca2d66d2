#include "FishPortrait.h"

#include "Canvas.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace content
{
namespace
{
// Pixels per picture pixel along each axis, averaged down for smooth edges.
constexpr unsigned int Supersampling = 2;
constexpr float Margin = 2.0f; // picture pixels kept clear round the fish
constexpr unsigned int BodySet = 0;
constexpr unsigned int FinSet = 1;
constexpr float Ambient = 0.5f;
constexpr float Diffuse = 0.6f;

struct SSample
{
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
    float depth = std::numeric_limits<float>::max();
};

struct STexel
{
    float r, g, b, a;
};

STexel Sample(SFishTextures const& textures, float u, float v)
{
    SPicture const& colour = textures.colour;
    auto index = [](float t, unsigned int size) {
        return std::min(size - 1,
                        static_cast<unsigned int>(std::clamp(t, 0.0f, 1.0f) * static_cast<float>(size)));
    };
    unsigned int const x = index(u, colour.width);
    unsigned int const y = index(1.0f - v, colour.height);
    std::uint8_t const* c = colour.At(x, y);
    float alpha = 1.0f;
    if (textures.alpha.IsValid()) {
        unsigned int const ax = index(u, textures.alpha.width);
        unsigned int const ay = index(1.0f - v, textures.alpha.height);
        alpha = textures.alpha.At(ax, ay)[0] / 255.0f;
    }
    return {c[0] / 255.0f, c[1] / 255.0f, c[2] / 255.0f, alpha};
}

float Shade(CVector3 normal)
{
    // Two-sided: the normal is turned towards the viewer, who looks along +y.
    if (normal.y > 0.0f)
        normal = CVector3(-normal.x, -normal.y, -normal.z);
    CVector3 const light(0.35f, -0.55f, 0.75f);
    float const length = std::sqrt(light.x * light.x + light.y * light.y + light.z * light.z);
    float const lambert =
        (normal.x * light.x + normal.y * light.y + normal.z * light.z) /
        std::max(1e-6f, length * std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z));
    return Ambient + Diffuse * std::max(0.0f, lambert);
}
} // namespace

SPicture CFishPortraitPainter::Paint(SFishGeometry const& geometry, SFishTextures const& textures)
{
    unsigned int const width = Width * Supersampling;
    unsigned int const height = Height * Supersampling;
    float minX = std::numeric_limits<float>::max(), maxX = -minX, minZ = minX, maxZ = -minX;
    for (auto const& set : geometry.model.sets) {
        for (auto const& vertex : set.vertices) {
            minX = std::min(minX, vertex.position.x);
            maxX = std::max(maxX, vertex.position.x);
            minZ = std::min(minZ, vertex.position.z);
            maxZ = std::max(maxZ, vertex.position.z);
        }
    }
    float const margin = Margin * Supersampling;
    float const scale = std::min((width - 2.0f * margin) / std::max(1e-6f, maxX - minX),
                                 (height - 2.0f * margin) / std::max(1e-6f, maxZ - minZ));
    float const left = 0.5f * (width - (maxX - minX) * scale);
    float const top = 0.5f * (height - (maxZ - minZ) * scale);

    std::vector<SSample> samples(static_cast<std::size_t>(width) * height);
    auto draw = [&](unsigned int setIndex, bool blended) {
        if (setIndex >= geometry.model.sets.size())
            return;
        auto const& set = geometry.model.sets[setIndex];
        // Indices are absolute in the model's buffer: the sets' vertices follow one another.
        std::uint32_t first = 0;
        for (unsigned int i = 0; i < setIndex; ++i)
            first += static_cast<std::uint32_t>(geometry.model.sets[i].vertices.size());
        for (std::size_t t = 0; t + 2 < set.indices.size(); t += 3) {
            SModelVertex const* v[3];
            bool inside = true;
            for (int k = 0; k < 3; ++k) {
                std::uint32_t const index = set.indices[t + k] - first;
                inside = inside && index < set.vertices.size();
                v[k] = inside ? &set.vertices[index] : nullptr;
            }
            if (!inside)
                continue;
            auto px = [&](SModelVertex const* p) { return left + (p->position.x - minX) * scale; };
            auto py = [&](SModelVertex const* p) { return top + (maxZ - p->position.z) * scale; };
            RasterizeTriangle(
                px(v[0]), py(v[0]), px(v[1]), py(v[1]), px(v[2]), py(v[2]), width, height,
                [&](unsigned int x, unsigned int y, float w0, float w1, float w2) {
                    float const depth = v[0]->position.y * w0 + v[1]->position.y * w1 + v[2]->position.y * w2;
                    SSample& sample = samples[static_cast<std::size_t>(y) * width + x];
                    if (depth >= sample.depth)
                        return;
                    STexel const texel = Sample(textures, v[0]->u * w0 + v[1]->u * w1 + v[2]->u * w2,
                                                v[0]->v * w0 + v[1]->v * w1 + v[2]->v * w2);
                    CVector3 const normal(v[0]->normal.x * w0 + v[1]->normal.x * w1 + v[2]->normal.x * w2,
                                          v[0]->normal.y * w0 + v[1]->normal.y * w1 + v[2]->normal.y * w2,
                                          v[0]->normal.z * w0 + v[1]->normal.z * w1 + v[2]->normal.z * w2);
                    float const light = Shade(normal);
                    float const alpha = blended ? texel.a : 1.0f;
                    sample.r = sample.r * (1.0f - alpha) + std::min(1.0f, texel.r * light) * alpha;
                    sample.g = sample.g * (1.0f - alpha) + std::min(1.0f, texel.g * light) * alpha;
                    sample.b = sample.b * (1.0f - alpha) + std::min(1.0f, texel.b * light) * alpha;
                    sample.a = sample.a * (1.0f - alpha) + alpha;
                    if (!blended)
                        sample.depth = depth;
                });
        }
    };
    draw(BodySet, false);
    draw(FinSet, true);

    CCanvas canvas(Width, Height);
    float const area = static_cast<float>(Supersampling * Supersampling);
    for (unsigned int y = 0; y < Height; ++y) {
        for (unsigned int x = 0; x < Width; ++x) {
            float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
            for (unsigned int sy = 0; sy < Supersampling; ++sy) {
                for (unsigned int sx = 0; sx < Supersampling; ++sx) {
                    SSample const& s = samples[static_cast<std::size_t>(y * Supersampling + sy) * width +
                                               x * Supersampling + sx];
                    r += s.r;
                    g += s.g;
                    b += s.b;
                    a += s.a;
                }
            }
            // The samples hold colour already weighted by coverage.
            float const coverage = a / area;
            SColour const colour = coverage > 0.0f ? SColour{r / a, g / a, b / a} : SColour{};
            canvas.Set(x, y, colour, coverage);
        }
    }
    return canvas.ToRgba();
}

} // namespace content
