#include "SettingsPictures.h"

#include "Noise.h"

#include <algorithm>
#include <cmath>

namespace content
{

namespace
{

struct SLook
{
    float top[3], bottom[3]; // fill gradient
    float border[3];
    float alpha;
};

// A rounded rectangle of the whole picture with a one-texel-wide soft border.
SPicture Frame(unsigned int width, unsigned int height, SLook const& look, float radius)
{
    SPicture picture(width, height, 4);
    for (unsigned int y = 0; y < height; ++y) {
        float const t = static_cast<float>(y) / static_cast<float>(height - 1);
        for (unsigned int x = 0; x < width; ++x) {
            // Distance outside the rounded rectangle, negative inside.
            float const px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
            float const qx = std::max(std::fabs(px - width * 0.5f) - (width * 0.5f - radius), 0.0f);
            float const qy = std::max(std::fabs(py - height * 0.5f) - (height * 0.5f - radius), 0.0f);
            float const distance = std::sqrt(qx * qx + qy * qy) - radius;
            float const coverage = Clamp01(0.5f - distance);
            float const rim = SmoothStep(-2.5f, -0.5f, distance);
            std::uint8_t* pixel = picture.At(x, y);
            for (int c = 0; c < 3; ++c) {
                float const fill = Mix(look.top[c], look.bottom[c], t);
                pixel[c] = static_cast<std::uint8_t>(Clamp01(Mix(fill, look.border[c], rim)) * 255.0f + 0.5f);
            }
            pixel[3] =
                static_cast<std::uint8_t>(Clamp01(coverage * Mix(look.alpha, 1.0f, rim)) * 255.0f + 0.5f);
        }
    }
    return picture;
}

} // namespace

SPicture CSettingsPictures::Panel()
{
    // Only the frame: the widgets in front may be drawn before it, so its inside stays clear and
    // the window's clear colour shows through.
    return Frame(256, 256, {{0.08f, 0.30f, 0.45f}, {0.02f, 0.10f, 0.20f}, {0.55f, 0.85f, 0.95f}, 0.0f},
                 12.0f);
}

SPicture CSettingsPictures::Button(unsigned int frame)
{
    float const lift = frame == 1 ? 0.12f : 0.0f;
    if (frame == 2)
        return Frame(128, 32, {{0.05f, 0.30f, 0.45f}, {0.15f, 0.50f, 0.65f}, {0.80f, 0.95f, 1.0f}, 1.0f},
                     8.0f);
    return Frame(128, 32,
                 {{0.25f + lift, 0.62f + lift, 0.78f + lift},
                  {0.07f + lift, 0.33f + lift, 0.50f + lift},
                  {0.70f, 0.92f, 1.0f},
                  1.0f},
                 8.0f);
}

SPicture CSettingsPictures::CheckBox(unsigned int frame)
{
    float const lift = frame == 1 ? 0.15f : 0.0f;
    SPicture picture = Frame(32, 32,
                             {{0.10f + lift, 0.25f + lift, 0.35f + lift},
                              {0.05f + lift, 0.15f + lift, 0.25f + lift},
                              {0.70f, 0.92f, 1.0f},
                              1.0f},
                             6.0f);
    if (frame == 2) {
        // A tick mark.
        for (unsigned int y = 0; y < 32; ++y) {
            for (unsigned int x = 0; x < 32; ++x) {
                float const px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
                float const d1 = std::fabs((py - 17.0f) - (px - 9.0f)) / 1.414f;
                float const d2 = std::fabs((py - 22.0f) + (px - 14.0f)) / 1.414f;
                bool const onFirst = px > 7.0f && px < 14.5f && d1 < 2.4f;
                bool const onSecond = px > 13.0f && px < 25.0f && d2 < 2.4f;
                if (onFirst || onSecond) {
                    std::uint8_t* pixel = picture.At(x, y);
                    pixel[0] = 250;
                    pixel[1] = 230;
                    pixel[2] = 120;
                }
            }
        }
    }
    return picture;
}

SPicture CSettingsPictures::ComboBox()
{
    return Frame(256, 32, {{0.10f, 0.24f, 0.34f}, {0.05f, 0.14f, 0.22f}, {0.60f, 0.88f, 1.0f}, 1.0f}, 6.0f);
}

SPicture CSettingsPictures::List()
{
    return Frame(256, 64, {{0.04f, 0.16f, 0.26f}, {0.04f, 0.16f, 0.26f}, {0.60f, 0.88f, 1.0f}, 0.97f}, 4.0f);
}

SPicture CSettingsPictures::Slider()
{
    return Frame(256, 16, {{0.02f, 0.10f, 0.16f}, {0.10f, 0.30f, 0.40f}, {0.50f, 0.80f, 0.95f}, 1.0f}, 7.0f);
}

SPicture CSettingsPictures::Toddler()
{
    return Frame(16, 32, {{0.95f, 0.85f, 0.55f}, {0.75f, 0.55f, 0.25f}, {1.0f, 0.95f, 0.80f}, 1.0f}, 6.0f);
}

} // namespace content
