#pragma once

#include "math/Vector.h"

// The tank's light at one hour of the day.
struct SDayLight
{
    // The light falling from the surface: the sun by day, the moon by night.
    CVector3 sun{0.0f, 0.0f, 0.0f};
    // The water's own glow, lighting every side alike.
    CVector3 ambient{0.0f, 0.0f, 0.0f};
    // Share of the water's colour that distance fades into, by channel.
    CVector3 water{0.0f, 0.0f, 0.0f};
    // The tank's faint lamp from the front, lit as the daylight goes.
    CVector3 lamp{0.0f, 0.0f, 0.0f};
};

// The light of the local day: a dim moonlit blue by night, warm water at dawn, bright at noon,
// red and dimming at dusk. Between its key hours the light eases from one to the next, so it
// changes over many minutes and never jumps.
class CDayLight
{
public:
    // The light at `hour` (0 up to 24; other values are brought into the day).
    static SDayLight At(float hour);
    // Mean of the sun and the glow over the three channels: how bright the tank looks.
    static float GetBrightness(SDayLight const& light);
    // How strong the caustics are under this light, from the sun's brightness: 1 at noon, about
    // a third at dawn and dusk, NightCaustics by night.
    static float GetCausticStrength(SDayLight const& light);
    static constexpr float NightCaustics = 0.1f;
};
