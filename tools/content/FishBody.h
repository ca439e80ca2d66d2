#pragma once

#include "FishSpecies.h"

namespace content
{

// The body profile of a species as functions of s (0 tail base, 1 nose).
class CFishBody
{
public:
    explicit CFishBody(SFishSpecies const& species);

    float GetX(float s) const { return m_tailX + s * m_species.bodyLength; }
    float GetS(float x) const { return (x - m_tailX) / m_species.bodyLength; }
    float GetHalfHeight(float s) const;
    float GetHalfWidth(float s) const;
    float GetCentreZ(float s) const;
    SFishSpecies const& GetSpecies() const { return m_species; }

private:
    float GetShape(float s) const;

    SFishSpecies m_species;
    float m_tailX;
    float m_power;
};

// Side projection shared by the body and the tail, dorsal and anal fins: the texture is a
// side view of the fish. The pectoral fins have their own strip at the bottom.
struct SFishSideMapping
{
    float xMin = 0, xMax = 1, zMin = 0, zMax = 1;
    static constexpr float U0 = 0.02f, U1 = 0.98f, V0 = 0.2f, V1 = 0.98f;
    static constexpr float PectoralU0 = 0.05f, PectoralU1 = 0.45f, PectoralV0 = 0.03f, PectoralV1 = 0.17f;

    float GetU(float x) const { return U0 + (x - xMin) / (xMax - xMin) * (U1 - U0); }
    float GetV(float z) const { return V0 + (z - zMin) / (zMax - zMin) * (V1 - V0); }
    float GetX(float u) const { return xMin + (u - U0) / (U1 - U0) * (xMax - xMin); }
    float GetZ(float v) const { return zMin + (v - V0) / (V1 - V0) * (zMax - zMin); }
};

} // namespace content
