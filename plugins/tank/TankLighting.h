#pragma once

#include "DayLight.h"
#include "math/Vector.h"

class CEngine;

// Puts the local day's light on the tank: the surface light the scene placed, the water's glow,
// the colour distance fades into, and the tank's own faint lamp at night. The light eases over
// many minutes; it is passed on only once it has moved by a colour level, since every change of
// the lights draws the kept background again.
class CTankLighting
{
public:
    // The lamp shines from the front glass, from above, onto the fish and the sand.
    static constexpr float LampDirection[3] = {0.0f, 1.0f, -0.6f};
    // The least change of a light's channel that is passed on: one level of an 8-bit colour.
    static constexpr float LightStep = 1.0f / 255.0f;

    CTankLighting() = default;
    ~CTankLighting() { Destroy(); }
    CTankLighting(CTankLighting const&) = delete;
    CTankLighting& operator=(CTankLighting const&) = delete;

    // `sunLight` is the scene's surface light (negative: none); the water's colour is the
    // clear colour at this time.
    void Create(CEngine* engine, int sunLight);
    void Destroy();
    // Sets the light of `hour`, unless it differs from the light set last by less than
    // LightStep in every channel.
    void Refresh(float hour);

    SDayLight const& GetLight() const { return m_light; }
    CVector4 GetFogColour() const;

private:
    CEngine* m_engine = nullptr;
    int m_sunLight = -1;
    int m_lampLight = -1;
    CVector4 m_water{0.0f, 0.0f, 0.0f, 1.0f};
    SDayLight m_light;
    bool m_lightSet = false;
};
