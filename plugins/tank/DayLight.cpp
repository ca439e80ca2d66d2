#include "DayLight.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "../base/LocalDay.h"

namespace
{
struct SKeyHour
{
    float hour;
    SDayLight light;
};

SDayLight const Night{
    {0.10f, 0.14f, 0.28f}, {0.07f, 0.10f, 0.19f}, {0.16f, 0.22f, 0.36f}, {0.07f, 0.09f, 0.10f}};
SDayLight const Dawn{
    {0.80f, 0.52f, 0.34f}, {0.30f, 0.26f, 0.28f}, {0.66f, 0.54f, 0.50f}, {0.03f, 0.04f, 0.04f}};
SDayLight const Morning{
    {0.85f, 0.86f, 0.84f}, {0.40f, 0.47f, 0.54f}, {0.92f, 0.94f, 0.95f}, {0.0f, 0.0f, 0.0f}};
SDayLight const Noon{{1.00f, 1.00f, 0.98f}, {0.46f, 0.54f, 0.62f}, {1.0f, 1.0f, 1.0f}, {0.0f, 0.0f, 0.0f}};
SDayLight const Afternoon{
    {0.90f, 0.87f, 0.78f}, {0.42f, 0.48f, 0.54f}, {0.95f, 0.93f, 0.90f}, {0.0f, 0.0f, 0.0f}};
SDayLight const Dusk{
    {0.86f, 0.42f, 0.26f}, {0.32f, 0.22f, 0.24f}, {0.72f, 0.46f, 0.42f}, {0.03f, 0.04f, 0.04f}};

// Midnight closes the day as it opens it.
SKeyHour const KeyHours[] = {
    {0.0f, Night},      {4.5f, Night}, {6.25f, Dawn},   {8.0f, Morning}, {12.0f, Noon},
    {17.0f, Afternoon}, {19.0f, Dusk}, {20.75f, Night}, {24.0f, Night},
};

CVector3 Blend(CVector3 const& from, CVector3 const& to, float t)
{
    return from + (to - from) * t;
}
} // namespace

SDayLight CDayLight::At(float hour)
{
    hour = std::fmod(hour, CLocalDay::HoursPerDay);
    if (!(hour >= 0.0f))
        hour = std::isfinite(hour) ? hour + CLocalDay::HoursPerDay : 0.0f;
    for (std::size_t i = 1; i < std::size(KeyHours); ++i) {
        SKeyHour const& from = KeyHours[i - 1];
        SKeyHour const& to = KeyHours[i];
        if (hour > to.hour)
            continue;
        float const linear = (hour - from.hour) / (to.hour - from.hour);
        float const t = linear * linear * (3.0f - 2.0f * linear);
        return {Blend(from.light.sun, to.light.sun, t), Blend(from.light.ambient, to.light.ambient, t),
                Blend(from.light.water, to.light.water, t), Blend(from.light.lamp, to.light.lamp, t)};
    }
    return Night;
}

float CDayLight::GetBrightness(SDayLight const& light)
{
    CVector3 const total = light.sun + light.ambient;
    return (total.x + total.y + total.z) / 3.0f;
}

float CDayLight::GetCausticStrength(SDayLight const& light)
{
    auto const sunBrightness = [](SDayLight const& at) { return (at.sun.x + at.sun.y + at.sun.z) / 3.0f; };
    float const night = sunBrightness(Night), noon = sunBrightness(Noon);
    float const share = std::clamp((sunBrightness(light) - night) / (noon - night), 0.0f, 1.0f);
    // Caustics need a high, bright sun: they fade faster than the light itself.
    return NightCaustics + (1.0f - NightCaustics) * share * share;
}
