#pragma once

#include "BubbleSound.h"
#include "Lagoonix.h"
#include "TankCameraDrift.h"
#include "TankCaustics.h"
#include "TankLightShafts.h"
#include "TankLighting.h"
#include "TankScene.h"
#include "TankShadows.h"
#include "TankVariables.h"

class CEngine;

// Tank plug-in: the scenery every other plug-in lives in. It is created first, so the fish
// areas and the starfish's place it registers are there when the others read them.
class CGameTankPlugin : public CLagoonix
{
public:
    static constexpr int Priority = 700;
    static constexpr int Type = 2;
    static constexpr int Version = 100;
    static constexpr char const* Description = "Tank Plugin v1.0";

    CGameTankPlugin() = default;
    ~CGameTankPlugin() override;

    void Create(CEngine* engine, CCamera* camera) override;
    void Destroy() override;
    void Refresh() override;

    CTankVariables const* GetVariables() const { return &m_variables; }
    CTankScene* GetScene() { return &m_scene; }
    CBubbleSound* GetBubbleSound() { return &m_bubbleSound; }
    CTankLighting const* GetLighting() const { return &m_lighting; }
    CTankShadows* GetShadows() { return &m_shadows; }
    CTankCaustics const* GetCaustics() const { return &m_caustics; }

private:
    CEngine* m_engine = nullptr;
    CTankVariables m_variables;
    CTankScene m_scene;
    CTankShadows m_shadows;
    CTankCameraDrift m_cameraDrift;
    CBubbleSound m_bubbleSound;
    CTankLighting m_lighting;
    CTankCaustics m_caustics;
    CTankLightShafts m_shafts;
};
