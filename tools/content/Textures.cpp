#include "Textures.h"

#include "Canvas.h"
#include "FontRasterizer.h"
#include "Noise.h"
#include "Random.h"
#include "StarfishModel.h"
#include "math/Angles.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace content
{

namespace
{

// Bilinear resampling of an RGB picture.
SPicture Resample(SPicture const& source, unsigned int width, unsigned int height)
{
    SPicture target(width, height, source.channels);
    for (unsigned int y = 0; y < height; ++y) {
        float const fy = (static_cast<float>(y) + 0.5f) * source.height / height - 0.5f;
        int const y0 = std::clamp(static_cast<int>(std::floor(fy)), 0, static_cast<int>(source.height) - 1);
        int const y1 = std::min(y0 + 1, static_cast<int>(source.height) - 1);
        float const wy = std::clamp(fy - static_cast<float>(y0), 0.0f, 1.0f);
        for (unsigned int x = 0; x < width; ++x) {
            float const fx = (static_cast<float>(x) + 0.5f) * source.width / width - 0.5f;
            int const x0 =
                std::clamp(static_cast<int>(std::floor(fx)), 0, static_cast<int>(source.width) - 1);
            int const x1 = std::min(x0 + 1, static_cast<int>(source.width) - 1);
            float const wx = std::clamp(fx - static_cast<float>(x0), 0.0f, 1.0f);
            for (unsigned int c = 0; c < source.channels; ++c) {
                auto at = [&](int px, int py) {
                    return static_cast<float>(
                        source.At(static_cast<unsigned>(px), static_cast<unsigned>(py))[c]);
                };
                float const value = Mix(Mix(at(x0, y0), at(x1, y0), wx), Mix(at(x0, y1), at(x1, y1), wx), wy);
                target.At(x, y)[c] = static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 255.0f)));
            }
        }
    }
    return target;
}

// Underwater colour at (x, y): x in [0, 4/3], y in [0, 1] from the top.
SColour Water(float x, float y)
{
    SColour colour = MixColour(HexColour(0x8ED4F4), HexColour(0x06305E), std::pow(y, 0.8f));
    // Light shafts fanning out from above the top edge.
    float const angle = std::atan2(x - 0.55f, y + 0.35f);
    float const shafts = std::pow(noise::Fractal(angle * 9.0f, 0.5f, 3, 41u), 3.0f) * 1.6f;
    colour = colour + HexColour(0xBFEFFF) * (shafts * 0.35f * (1.0f - SmoothStep(0.0f, 0.85f, y)));
    // Caustic shimmer near the surface.
    float const caustic = noise::Cellular(x * 14.0f, y * 22.0f, 7u);
    colour = colour +
             HexColour(0xE0FAFF) * (0.18f * SmoothStep(0.25f, 0.0f, caustic) * SmoothStep(0.35f, 0.0f, y));
    return colour;
}

void PaintFishSilhouette(CCanvas* canvas, float cx, float cy, float length, float height, bool left,
                         SColour colour, float opacity)
{
    for (unsigned int py = 0; py < canvas->GetHeight(); ++py) {
        for (unsigned int px = 0; px < canvas->GetWidth(); ++px) {
            float const x = (static_cast<float>(px) + 0.5f) / canvas->GetHeight();
            float const y = (static_cast<float>(py) + 0.5f) / canvas->GetHeight();
            float dx = (x - cx) / length;
            float const dy = (y - cy) / height;
            if (left) {
                dx = -dx;
            }
            if (std::fabs(dx) > 1.2f || std::fabs(dy) > 1.2f) {
                continue;
            }
            // Lens-shaped body from dx = -0.5 (tail base) to 0.5 (nose), forked tail behind.
            float const s = dx + 0.5f;
            float body = 0.0f;
            if (s > 0.0f && s < 1.0f) {
                float const half =
                    0.5f * std::pow(std::sin(math::Pi * std::pow(s, 1.2f)), 0.75f) + 0.08f * (1.0f - s);
                body = SmoothStep(half + 0.02f, half - 0.02f, std::fabs(dy));
            }
            float tail = 0.0f;
            if (s <= 0.05f && s > -0.32f) {
                float const reach = (0.05f - s) / 0.37f;
                float const half = 0.08f + 0.4f * reach;
                float const fork = 0.2f * (1.0f - std::fabs(dy) / std::max(half, 1e-3f));
                if (reach < 1.0f - fork) {
                    tail = SmoothStep(half + 0.02f, half - 0.02f, std::fabs(dy));
                }
            }
            float const coverage = std::max(body, tail) * opacity;
            if (coverage > 0.0f) {
                canvas->Blend(px, py, colour, coverage);
            }
        }
    }
}

} // namespace

SPicture CTexturePainter::Plankton()
{
    // The picture is its own opacity, so a pixel brightens the water only where the picture is
    // brighter than the water: a disc that fills the square with an even top and a soft rim, so
    // that even the mip-mapped average a speck a pixel wide is drawn with stays light (a small
    // core in a dim halo averages to a dark dot).
    CCanvas canvas(64, 64);
    canvas.Fill([](float u, float v) {
        float const d = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
        float const value = 0.9f * (1.0f - SmoothStep(0.6f, 1.0f, d));
        return SColour{value * 0.94f, value * 0.99f, value};
    });
    return canvas.ToRgb();
}

SPicture CTexturePainter::Scene(unsigned int width, unsigned int height, std::string const& caption,
                                std::string const& titleFont, std::string const& textFont)
{
    // Painted at 4:3 so that the picture is undistorted when shown full screen.
    unsigned int const paintHeight = std::max(height, width * 3 / 4);
    unsigned int const paintWidth = paintHeight * 4 / 3;
    CCanvas canvas(paintWidth, paintHeight);
    float const scale = static_cast<float>(paintHeight);
    for (unsigned int py = 0; py < paintHeight; ++py) {
        for (unsigned int px = 0; px < paintWidth; ++px) {
            float const x = (static_cast<float>(px) + 0.5f) / scale;
            float const y = (static_cast<float>(py) + 0.5f) / scale;
            SColour colour = Water(x, y);
            // Sand with soft dunes and grain.
            float const floor = 0.84f + 0.025f * std::sin(x * 7.0f) + 0.015f * std::sin(x * 17.0f + 1.0f);
            if (y > floor) {
                float const grain = noise::Fractal(x * 90.0f, y * 90.0f, 2, 5u);
                SColour sand =
                    MixColour(HexColour(0xC8B48A), HexColour(0x7A6A50), SmoothStep(floor, 1.0f, y));
                sand = sand * (0.85f + 0.25f * grain);
                colour = MixColour(colour, sand, SmoothStep(floor, floor + 0.01f, y) * 0.9f);
            }
            // Sea grass at both sides.
            for (int blade = 0; blade < 9; ++blade) {
                float const baseX = blade < 5 ? 0.05f + 0.045f * blade : 1.12f + 0.04f * (blade - 5);
                float const top = 0.45f + 0.06f * static_cast<float>(blade % 3);
                if (y < top || y > 1.0f) {
                    continue;
                }
                float const h = (1.0f - y) / (1.0f - top);
                float const centre = baseX + 0.03f * std::sin(h * 5.0f + static_cast<float>(blade)) * h;
                float const halfWidth = 0.008f * (1.0f - 0.7f * h) + 0.002f;
                float const cover = SmoothStep(halfWidth, halfWidth * 0.5f, std::fabs(x - centre));
                colour = MixColour(colour, MixColour(HexColour(0x2E7A3A), HexColour(0x0E3A22), 1.0f - h),
                                   cover * 0.9f);
            }
            canvas.Set(px, py, colour);
        }
    }
    // A distant school.
    CRandom random(2024u);
    for (int i = 0; i < 7; ++i) {
        float const cx = random.Between(0.2f, 1.15f), cy = random.Between(0.42f, 0.7f);
        float const size = random.Between(0.035f, 0.06f);
        PaintFishSilhouette(&canvas, cx, cy, size, size * 0.45f, i % 3 == 0, HexColour(0x0A2846), 0.45f);
    }
    PaintFishSilhouette(&canvas, 1.02f, 0.62f, 0.16f, 0.075f, true, HexColour(0x082038), 0.6f);

    CFontRasterizer title(titleFont, paintHeight / 7);
    std::string const name = "Coralume";
    float const titleWidth = title.GetTextWidth(name);
    float const titleX = (static_cast<float>(paintWidth) - titleWidth) * 0.5f;
    float const titleY = static_cast<float>(paintHeight) * 0.33f;
    title.DrawText(&canvas, name, titleX + paintHeight * 0.006f, titleY + paintHeight * 0.006f,
                   HexColour(0x04182E));
    title.DrawText(&canvas, name, titleX, titleY, HexColour(0xF4FBFF));
    if (!caption.empty()) {
        CFontRasterizer text(textFont, paintHeight / 24);
        float const captionX = (static_cast<float>(paintWidth) - text.GetTextWidth(caption)) * 0.5f;
        text.DrawText(&canvas, caption, captionX, static_cast<float>(paintHeight) * 0.43f,
                      HexColour(0xD8F0FF));
    }
    return Resample(canvas.ToRgb(), width, height);
}

SPicture CTexturePainter::Console()
{
    CCanvas canvas(512, 512);
    canvas.Fill([](float u, float v) {
        SColour colour = MixColour(HexColour(0x0C2238), HexColour(0x040C18), v);
        colour = colour * (0.9f + 0.2f * noise::Fractal(u * 24.0f, v * 24.0f, 3, 99u));
        float const edge = std::min({u, v, 1.0f - u, 1.0f - v});
        colour = MixColour(colour, HexColour(0x4A90C8), 1.0f - SmoothStep(0.004f, 0.012f, edge));
        return colour;
    });
    return canvas.ToRgb();
}

SPicture CTexturePainter::Starfish()
{
    // Knob positions along the arms and round the centre.
    struct SKnob
    {
        float x, y, radius;
    };
    std::vector<SKnob> knobs;
    CRandom random(515u);
    for (int arm = 0; arm < 5; ++arm) {
        float const armAngle = (math::Pi * 0.5f + 2.0f * math::Pi * arm) / 5.0f;
        for (float r = 0.22f; r < 0.92f; r += 0.11f) {
            float const jitter = random.Between(-0.015f, 0.015f);
            knobs.push_back({r * std::cos(armAngle) + jitter, r * std::sin(armAngle) - jitter,
                             0.055f * (1.1f - 0.6f * r)});
        }
        float const between = armAngle + math::Pi / 5.0f;
        knobs.push_back({0.2f * std::cos(between), 0.2f * std::sin(between), 0.04f});
    }
    knobs.push_back({0.0f, 0.0f, 0.05f});
    // The starfish covers a few hundred pixels at most: a larger picture would only feed mip levels.
    constexpr int StarfishPictureSize = 256;
    CCanvas canvas(StarfishPictureSize, StarfishPictureSize);
    canvas.Fill([&](float u, float v) {
        // Texture v runs upwards; the picture's top row is v = 1.
        float const x = (u - 0.5f) * 2.1f * CStarfishModelBuilder::ArmRadius;
        float const y = (0.5f - v) * 2.1f * CStarfishModelBuilder::ArmRadius;
        float const radius = std::hypot(x, y);
        float const theta = std::atan2(y, x);
        float const outline = CStarfishModelBuilder::GetOutlineRadius(theta);
        float const reach = radius / std::max(outline, 1e-3f);
        SColour colour = MixColour(HexColour(0xE8C898), HexColour(0xB88A58), SmoothStep(0.2f, 1.0f, reach));
        colour = colour * (0.9f + 0.18f * noise::Fractal(x * 30.0f, y * 30.0f, 3, 12u));
        // Fine cream granules.
        float const granule = noise::Cellular(x * 70.0f, y * 70.0f, 31u);
        colour = MixColour(colour, HexColour(0xFFF0D0), 0.5f * SmoothStep(0.25f, 0.05f, granule));
        for (auto const& knob : knobs) {
            float const d = std::hypot(x - knob.x, y - knob.y) / knob.radius;
            if (d < 1.3f) {
                SColour knobColour = MixColour(HexColour(0x5A3018), HexColour(0x2A140A), Clamp01(d));
                float const glint =
                    std::hypot(x - knob.x + 0.3f * knob.radius, y - knob.y - 0.3f * knob.radius) /
                    knob.radius;
                knobColour = MixColour(knobColour, HexColour(0x8A5A38), SmoothStep(0.5f, 0.0f, glint) * 0.6f);
                colour = MixColour(colour, knobColour, SmoothStep(1.05f, 0.9f, d));
                colour =
                    MixColour(colour, colour * 0.75f, SmoothStep(1.3f, 1.05f, d) * (d > 1.0f ? 1.0f : 0.0f));
            }
        }
        // Orange-brown rim.
        colour = MixColour(colour, HexColour(0xA0582A), SmoothStep(0.8f, 1.0f, reach) * 0.7f);
        return colour;
    });
    return canvas.ToRgb();
}

SPicture CTexturePainter::StarShadowColour()
{
    // The size of the alpha picture: the engine wants a picture and its opacity map alike.
    CCanvas canvas(StarShadowSize, StarShadowSize);
    canvas.Fill([](float, float) { return HexColour(0x061424); });
    return canvas.ToRgb();
}

SPicture CTexturePainter::StarShadowAlpha()
{
    CCanvas canvas(StarShadowSize, StarShadowSize);
    float const half = CStarfishModelBuilder::ArmRadius * 1.35f;
    canvas.Fill([half](float u, float v) {
        float const x = (u - 0.5f) * 2.0f * half;
        float const y = (0.5f - v) * 2.0f * half;
        float const theta = std::atan2(y, x);
        float const outline =
            CStarfishModelBuilder::GetOutlineRadius(theta) * 0.7f + 0.3f * CStarfishModelBuilder::ArmRadius;
        float const reach = std::hypot(x, y) / outline;
        float const alpha = 0.6f * (1.0f - SmoothStep(0.45f, 1.2f, reach));
        return SColour{alpha, alpha, alpha};
    });
    return canvas.ToRgb();
}

SPicture CTexturePainter::BubbleColour()
{
    CCanvas canvas(64, 64);
    canvas.Fill([](float u, float v) {
        float const glint = std::hypot(u - 0.36f, v - 0.34f);
        return MixColour(HexColour(0xA8DCF8), HexColour(0xFFFFFF), SmoothStep(0.18f, 0.04f, glint));
    });
    return canvas.ToRgb();
}

SPicture CTexturePainter::BubbleAlpha()
{
    CCanvas canvas(64, 64);
    canvas.Fill([](float u, float v) {
        float const d = std::hypot(u - 0.5f, v - 0.5f) * 2.0f;
        float const rim = SmoothStep(0.7f, 0.92f, d) * (1.0f - SmoothStep(0.92f, 1.0f, d));
        float const glint = SmoothStep(0.18f, 0.04f, std::hypot(u - 0.36f, v - 0.34f));
        float const alpha = Clamp01(0.12f + 0.75f * rim + 0.8f * glint) * (d < 1.0f ? 1.0f : 0.0f);
        return SColour{alpha, alpha, alpha};
    });
    return canvas.ToRgb();
}

} // namespace content
