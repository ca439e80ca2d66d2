#pragma once

#include "Lagoonix.h"
#include "StarFishScene.h"

class CEngine;

// Starfish plug-in: the starfish scene, with its animation speed from the plug-in's
// descriptor file and its place from configuration variables.
class CGameChocolateStarFishPlugin : public CLagoonix
{
public:
    static constexpr int Priority = 500;
    static constexpr int Type = 2;
    static constexpr int Version = 100;
    static constexpr char const* Description = "StarFish Plugin v1.0";

    CGameChocolateStarFishPlugin() = default;
    ~CGameChocolateStarFishPlugin() override;

    void Create(CEngine* engine, CCamera* camera) override;
    void Destroy() override;
    // The engine animates and draws both models by itself.
    void Refresh() override {}

    CStarFishScene* GetScene() { return &m_scene; }

private:
    CEngine* m_engine = nullptr;
    CStarFishScene m_scene;
};
