#include "IconPainter.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
// Samples per pixel along each axis, for smooth edges.
constexpr int Supersampling = 4;

struct SColour
{
    float r, g, b, a;
};

SColour Over(SColour const& top, SColour const& under)
{
    float const a = top.a + under.a * (1.0f - top.a);
    if (a <= 0.0f)
        return {0, 0, 0, 0};
    auto mix = [&](float t, float u) { return (t * top.a + u * under.a * (1.0f - top.a)) / a; };
    return {mix(top.r, under.r), mix(top.g, under.g), mix(top.b, under.b), a};
}

float Lerp(float a, float b, float t)
{
    return a + (b - a) * t;
}

bool InEllipse(float x, float y, float cx, float cy, float rx, float ry)
{
    float const dx = (x - cx) / rx;
    float const dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0f;
}

// Point in the triangle (ax, ay), (bx, by), (cx, cy).
bool InTriangle(float x, float y, float ax, float ay, float bx, float by, float cx, float cy)
{
    auto side = [&](float px, float py, float qx, float qy) {
        return (qx - px) * (y - py) - (qy - py) * (x - px);
    };
    float const d1 = side(ax, ay, bx, by);
    float const d2 = side(bx, by, cx, cy);
    float const d3 = side(cx, cy, ax, ay);
    bool const negative = d1 < 0 || d2 < 0 || d3 < 0;
    bool const positive = d1 > 0 || d2 > 0 || d3 > 0;
    return !(negative && positive);
}

// The colour at (x, y) in a unit square, y growing downwards.
SColour Sample(float x, float y)
{
    SColour colour{0, 0, 0, 0};
    float const dx = x - 0.5f, dy = y - 0.5f;
    float const distance = std::sqrt(dx * dx + dy * dy);
    if (distance > 0.47f)
        return colour;
    // Water: light at the top, deep below, a darker rim.
    float const depth = std::clamp(y, 0.0f, 1.0f);
    colour = {Lerp(0.37f, 0.04f, depth), Lerp(0.72f, 0.25f, depth), Lerp(0.95f, 0.52f, depth), 1.0f};
    if (distance > 0.43f)
        colour = {0.05f, 0.18f, 0.36f, 1.0f};
    // Sand.
    if (distance <= 0.43f && y > 0.78f + 0.03f * std::sin(x * 14.0f))
        colour = {0.86f, 0.74f, 0.50f, 1.0f};
    // Bubbles.
    for (auto const& [bx, by, br] :
         {std::array<float, 3>{0.70f, 0.25f, 0.045f}, {0.76f, 0.15f, 0.03f}, {0.66f, 0.37f, 0.025f}}) {
        float const ex = x - bx, ey = y - by;
        float const r = std::sqrt(ex * ex + ey * ey);
        if (r <= br && r >= br * 0.6f)
            colour = Over({0.9f, 0.97f, 1.0f, 0.85f}, colour);
    }
    // The fish: tail, body, belly, fin, eye.
    SColour const orange{1.0f, 0.50f, 0.12f, 1.0f};
    if (InTriangle(x, y, 0.60f, 0.52f, 0.80f, 0.38f, 0.80f, 0.66f))
        colour = {0.95f, 0.38f, 0.08f, 1.0f};
    if (InEllipse(x, y, 0.44f, 0.52f, 0.22f, 0.14f)) {
        colour = orange;
        if (y > 0.56f)
            colour = {1.0f, 0.72f, 0.35f, 1.0f};
        if (std::fabs(x - 0.48f) < 0.022f)
            colour = {1.0f, 0.95f, 0.9f, 1.0f};
    }
    if (InTriangle(x, y, 0.40f, 0.40f, 0.52f, 0.40f, 0.50f, 0.31f))
        colour = {0.95f, 0.38f, 0.08f, 1.0f};
    if (InEllipse(x, y, 0.31f, 0.49f, 0.035f, 0.035f))
        colour = {1.0f, 1.0f, 1.0f, 1.0f};
    if (InEllipse(x, y, 0.305f, 0.49f, 0.018f, 0.018f))
        colour = {0.05f, 0.05f, 0.08f, 1.0f};
    return colour;
}
} // namespace

std::vector<std::uint8_t> PaintIcon(unsigned int size)
{
    std::vector<std::uint8_t> pixels(std::size_t(size) * size * 4);
    float const step = 1.0f / static_cast<float>(size * Supersampling);
    for (unsigned int py = 0; py < size; ++py) {
        for (unsigned int px = 0; px < size; ++px) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < Supersampling; ++sy) {
                for (int sx = 0; sx < Supersampling; ++sx) {
                    float const x = (static_cast<float>(px * Supersampling + sx) + 0.5f) * step;
                    float const y = (static_cast<float>(py * Supersampling + sy) + 0.5f) * step;
                    SColour const c = Sample(x, y);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            std::uint8_t* out = &pixels[(std::size_t(py) * size + px) * 4];
            float const samples = Supersampling * Supersampling;
            auto channel = [](float value) {
                return static_cast<std::uint8_t>(std::clamp(std::lround(value * 255.0f), 0l, 255l));
            };
            out[0] = channel(a > 0 ? r / a : 0);
            out[1] = channel(a > 0 ? g / a : 0);
            out[2] = channel(a > 0 ? b / a : 0);
            out[3] = channel(a / samples);
        }
    }
    return pixels;
}
