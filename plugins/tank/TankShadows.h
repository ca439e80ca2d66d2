#pragma once

#include <vector>

#include "math/Vector.h"

class CEngine;
class CModel;

// Soft shadows on the sand: one under every fish the school publishes, darkest and smallest
// when the fish swims low and fading and widening as it rises, and one where each rock
// meets the sand. Each shadow is a flat blended quad that darkens what lies under it.
class CTankShadows
{
public:
    static constexpr char const* Texture = "tank_shadow.jpg";
    // More shadows than the largest school.
    static constexpr unsigned int MaxFishShadows = 32;
    // A fish's shadow: its darkness on the sand, its radius there, how much wider it grows per
    // unit of height and the height at which it has faded away.
    static constexpr float FishDarkness = 0.6f;
    static constexpr float FishRadius = 0.45f;
    static constexpr float WideningPerHeight = 0.15f;
    static constexpr float FadeHeight = 12.0f;
    // A rock's contact shadow: its darkness and its reach, in halves of the rock's footprint.
    static constexpr float RockDarkness = 0.6f;
    static constexpr float RockReach = 1.2f;
    // Fainter shadows are not drawn.
    static constexpr float FaintestDarkness = 0.06f;
    // Above the sand's ripples, so the sand never covers a shadow.
    static constexpr float Lift = 0.045f;
    // Transparent models are drawn farthest first: the fish's shadows come before the fish.
    static constexpr float DepthValue = 900.0f;
    // The rocks' shadows stand still: they belong to the kept background, drawn over the sand
    // (whose depth value is 1000) and before the backdrop (1001).
    static constexpr float RockDepthValue = 1000.5f;

    CTankShadows() = default;
    ~CTankShadows() { Destroy(); }
    CTankShadows(CTankShadows const&) = delete;
    CTankShadows& operator=(CTankShadows const&) = delete;

    // `sun` is the direction the light falls in; rocks get their contact shadows now.
    void Create(CEngine* engine, CVector3 const& sun, std::vector<CModel*> const& rocks);
    void Destroy();
    // Follows the fish the school publishes this frame.
    void Refresh();

    // The share of light a fish's shadow takes away, and its radius, `height` above the sand.
    static float GetDarkness(float height);
    static float GetRadius(float height);
    // Where the shadow of `point` falls on the sand.
    CVector3 GetShadowPoint(CVector3 const& point) const;

    std::vector<CModel*> const& GetFishShadows() const { return m_fishShadows; }
    std::vector<CModel*> const& GetRockShadows() const { return m_rockShadows; }

private:
    CModel* AddShadow(bool still);
    static void Place(CModel* shadow, CVector3 const& centre, float radius, float darkness);

    CEngine* m_engine = nullptr;
    CVector3 m_sun{0.0f, 0.0f, -1.0f};
    std::vector<CModel*> m_fishShadows;
    std::vector<CModel*> m_rockShadows;
};
