#pragma once

#include <cstdint>
#include <vector>

#include "../base/LcgRandom.h"
#include "math/Vector.h"

class CSpriteGroup;

// The swarm's own generator.
class CPlanktonRandom : public CLcgRandom
{
public:
    using CLcgRandom::CLcgRandom;
};

// Specks of plankton on a layered grid of homes over the whole volume, whose bottom lies above
// the sand, of varied size and brightness, fainter the further back: each drifts slowly on a wandering course
// at a speed of its own, never below the bottom, flees any fish that comes close, and once it has strayed far
// from home fades out and reappears there.
class CPlanktonSwarm
{
public:
    static constexpr unsigned int CellsX = 5;
    static constexpr unsigned int CellsY = 5;
    static constexpr unsigned int Layers = 15;
    static constexpr unsigned int SpecksCount = CellsX * CellsY * Layers;
    // Half the side of a speck: a few pixels across at the usual viewing distance.
    static constexpr float SpeckSize = 0.05f;
    static constexpr float DriftSpeed = 0.1f;
    // Each speck drifts at DriftSpeed times a factor of its own in this range.
    static constexpr float SlowestDrift = 0.5f;
    static constexpr float FastestDrift = 1.5f;
    // How fast a drifting speck's direction wanders, per second.
    static constexpr float WanderRate = 8.0f;
    // Homes lie this many layers' heights above the bottom of the volume at least.
    static constexpr float LowestLayer = 0.2f;
    static constexpr float FlightFactor = 5.0f;
    static constexpr float StrayDistance = 5.0f;
    static constexpr float FadeStep = 0.1f;
    static constexpr float FadeChance = 0.9f;
    static constexpr float InvisibleAlpha = 0.00001f;
    // Specks differ: their sizes span this range of SpeckSize, their opacities this range,
    // and the furthest back keep this share of their opacity, so depth thins them out.
    static constexpr float SmallestSize = 0.5f;
    static constexpr float LargestSize = 1.5f;
    static constexpr float FaintestOpacity = 0.3f;
    static constexpr float BrightestOpacity = 0.9f;
    static constexpr float FarthestOpacityShare = 0.45f;
    // The looks are drawn from their own sequence, so the drift's stays as it is.
    static constexpr std::uint32_t LooksSeed = 20261210u;

    CPlanktonSwarm();

    CVector3 const& GetMinimum() const { return m_min; }
    CVector3 const& GetMaximum() const { return m_max; }
    CVector3 const& GetCellSize() const { return m_cellSize; }
    CPlanktonRandom& GetRandom() { return m_random; }

    // Puts every speck on its home as a sprite of `group`, which needs room for SpecksCount.
    void Populate(CSpriteGroup* group);
    // Lets go of the sprite group and forgets the specks.
    void Clear();

    // One step of `dt` seconds with the fish at `fish[0 … fishCount − 1]`.
    void Refresh(float dt, CVector3 const* fish, unsigned int fishCount);

    unsigned int GetSpecksCount() const { return static_cast<unsigned int>(m_sprites.size()); }
    unsigned int GetSpriteIndex(unsigned int speck) const { return m_sprites[speck]; }
    CVector3 const& GetHome(unsigned int speck) const { return m_homes[speck]; }
    CVector3& GetMovement(unsigned int speck) { return m_movements[speck]; }
    float GetDriftFactor(unsigned int speck) const { return m_driftFactors[speck]; }
    // The speck's size and its opacity at home.
    float GetSize(unsigned int speck) const { return m_sizes[speck]; }
    float GetOpacity(unsigned int speck) const { return m_opacities[speck]; }

private:
    CVector3 NextCentredVector(CVector3 const& scale, CVector3 const& offset);
    bool Flee(CVector3 const& position, CVector3* movement, float dt, CVector3 const* fish,
              unsigned int fishCount) const;
    void ReturnHome(unsigned int speck, CVector3* position, CVector4* color);

    CVector3 m_min;
    CVector3 m_max;
    CVector3 m_cellSize;
    CPlanktonRandom m_random;
    CSpriteGroup* m_group = nullptr;
    std::vector<unsigned int> m_sprites;
    std::vector<CVector3> m_movements;
    std::vector<CVector3> m_homes;
    std::vector<float> m_driftFactors;
    std::vector<float> m_sizes;
    std::vector<float> m_opacities;
};
