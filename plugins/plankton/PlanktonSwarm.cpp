#include "PlanktonSwarm.h"

#include <algorithm>
#include <cmath>

#include "model/SpriteGroup.h"

CPlanktonSwarm::CPlanktonSwarm()
    : m_min(-10.5f, -2.0f, -1.2f), m_max(10.5f, 6.0f, 6.0f),
      m_cellSize((m_max - m_min) / CVector3(float(CellsX), float(CellsY), float(Layers)))
{}

CVector3 CPlanktonSwarm::NextCentredVector(CVector3 const& scale, CVector3 const& offset)
{
    // Three draws in a row, the first for z and the last for x.
    float const u1 = m_random.Next();
    float const u2 = m_random.Next();
    float const u3 = m_random.Next();
    return (CVector3(u3, u2, u1) | scale) - offset;
}

void CPlanktonSwarm::Populate(CSpriteGroup* group)
{
    Clear();
    m_group = group;
    m_sprites.reserve(SpecksCount);
    m_movements.reserve(SpecksCount);
    m_homes.reserve(SpecksCount);
    m_driftFactors.reserve(SpecksCount);
    m_sizes.reserve(SpecksCount);
    m_opacities.reserve(SpecksCount);
    CPlanktonRandom looks(LooksSeed);
    for (unsigned int i = 0; i < CellsX; ++i) {
        for (unsigned int j = 0; j < CellsY; ++j) {
            for (unsigned int k = 0; k < Layers; ++k) {
                // Squared layers: dense near the bottom, sparse above; each home near the middle
                // of its cell, so that the homes fill the volume from side to side.
                CVector3 const cell(float(i) + 0.5f, float(j) + 0.5f, 0.035f * float(k * k) + LowestLayer);
                CVector3 const jitter = NextCentredVector({0.6f, 0.6f, 0.3f}, {0.3f, 0.3f, 0.15f});
                CVector3 const home = m_min + (m_cellSize | cell) + (m_cellSize | jitter);
                m_homes.push_back(home);
                // Small specks are the many: the size's draw is squared.
                float const sizeDraw = looks.Next();
                float const size =
                    SpeckSize * (SmallestSize + sizeDraw * sizeDraw * (LargestSize - SmallestSize));
                float const depth = std::clamp((home.y - m_min.y) / (m_max.y - m_min.y), 0.0f, 1.0f);
                float const opacity =
                    (FaintestOpacity + looks.Next() * (BrightestOpacity - FaintestOpacity)) *
                    (1.0f - depth * (1.0f - FarthestOpacityShare));
                m_sizes.push_back(size);
                m_opacities.push_back(opacity);
                m_sprites.push_back(group->AddSprite(home, size, {1.0f, 1.0f, 1.0f, opacity}));
                m_movements.emplace_back(0.0f, 0.0f, 0.0f);
                m_driftFactors.push_back(SlowestDrift + m_random.Next() * (FastestDrift - SlowestDrift));
            }
        }
    }
}

void CPlanktonSwarm::Clear()
{
    m_group = nullptr;
    m_sprites.clear();
    m_movements.clear();
    m_homes.clear();
    m_driftFactors.clear();
    m_sizes.clear();
    m_opacities.clear();
}

bool CPlanktonSwarm::Flee(CVector3 const& position, CVector3* movement, float dt, CVector3 const* fish,
                          unsigned int fishCount) const
{
    for (unsigned int f = 0; f < fishCount; ++f) {
        CVector3 const away = position - fish[f];
        if (std::fabs(away.x) < 1.0f && std::fabs(away.y) < 4.0f && std::fabs(away.z) < 1.0f) {
            *movement = (*movement + away.GetNormalized() * FlightFactor * dt).GetNormalized() * FlightFactor;
            return true;
        }
    }
    return false;
}

void CPlanktonSwarm::ReturnHome(unsigned int speck, CVector3* position, CVector4* color)
{
    float const opacity = m_opacities[speck];
    if ((*position - m_homes[speck]).GetLength() <= StrayDistance) {
        color->w = opacity;
        return;
    }
    if (m_random.Next() <= FadeChance)
        return;
    color->w -= FadeStep * opacity;
    if (color->w < InvisibleAlpha * opacity) {
        *position = m_homes[speck];
        color->w = opacity;
    }
}

void CPlanktonSwarm::Refresh(float dt, CVector3 const* fish, unsigned int fishCount)
{
    if (!m_group)
        return;
    for (unsigned int speck = 0; speck < m_sprites.size(); ++speck) {
        SSprite* sprite = m_group->GetSprite(m_sprites[speck]);
        if (!sprite)
            continue;
        CVector3& movement = m_movements[speck];
        float speed = DriftSpeed;
        if (!Flee(sprite->position, &movement, dt, fish, fishCount)) {
            CVector3 const push = NextCentredVector({1.0f, 1.0f, 1.0f}, {0.5f, 0.5f, 0.5f});
            movement = (movement + push * WanderRate * dt).GetNormalized();
            speed *= m_driftFactors[speck];
        }
        sprite->position += movement * speed * dt;
        // The bottom of the volume lies above the sand: a speck that reaches it turns up.
        if (sprite->position.z < m_min.z) {
            sprite->position.z = m_min.z;
            movement.z = std::fabs(movement.z);
        }
        ReturnHome(speck, &sprite->position, &sprite->color);
    }
}
