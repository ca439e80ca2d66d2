#pragma once

#include <vector>

#include "Lagoonix.h"
#include "PlanktonSwarm.h"
#include "math/Vector.h"

class CEngine;
class CSpriteGroup;

// Plankton plug-in: the swarm drawn as one sprite group, fleeing the fish that the fish
// plug-in publishes through configuration variables.
class CGamePlanktonPlugin : public CLagoonix
{
public:
    static constexpr int Priority = 600;
    static constexpr int Type = 2;
    static constexpr int Version = 100;
    static constexpr char const* Description = "Plankton Plugin v1.0";

    CGamePlanktonPlugin() = default;
    ~CGamePlanktonPlugin() override;

    void Create(CEngine* engine, CCamera* camera) override;
    void Destroy() override;
    void Refresh() override;

    CPlanktonSwarm* GetSwarm() { return &m_swarm; }
    CSpriteGroup* GetSpriteGroup() const { return m_spriteGroup; }

private:
    void ReadFishPositions();

    CEngine* m_engine = nullptr;
    CSpriteGroup* m_spriteGroup = nullptr;
    CPlanktonSwarm m_swarm;
    // Kept between frames so that reading the fish does not allocate.
    std::vector<CVector3> m_fish;
};
