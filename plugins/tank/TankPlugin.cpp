#include "TankPlugin.h"

#include <ctime>

#include "LocalDay.h"
#include "PluginExports.h"
#include "TankFog.h"
#include "core/Engine.h"
#include "model/Model.h"

CGameTankPlugin::~CGameTankPlugin()
{
    Destroy();
}

void CGameTankPlugin::Create(CEngine* engine, CCamera* camera)
{
    m_engine = engine;
    m_variables.Register(engine->GetConfig());
    m_scene.Create(engine);
    std::vector<std::pair<CVector3, CVector3>> rocks;
    for (CModel* rock : m_scene.GetRocks())
        rocks.emplace_back(rock->GetBoundingBox().GetMinPoint(), rock->GetBoundingBox().GetMaxPoint());
    m_variables.RegisterObstacles(engine->GetConfig(), rocks);
    CVector3 sun(CTankScene::SunDirection[0], CTankScene::SunDirection[1], CTankScene::SunDirection[2]);
    sun.SetLength(1.0f);
    m_shadows.Create(engine, sun, m_scene.GetRocks());
    m_cameraDrift.Create(engine->GetConfig(), camera);
    m_bubbleSound.Create(engine->GetSoundManager(), engine->GetConfig());
    m_bubbleSound.Refresh();
    CTankFog::Apply(engine->GetDirect3DSubsystem(), engine->GetModelManager()->GetClearColor());
    m_lighting.Create(engine, m_scene.GetSunLight());
    m_lighting.Refresh(CLocalDay::GetHour(engine->GetConfig(), std::time(nullptr)));
    m_caustics.Create(engine, CTankScene::SunDirection, CDayLight::GetCausticStrength(m_lighting.GetLight()));
    m_shafts.Create(m_scene.GetBackdrop());
    engine->GetMessageManager()->Write("+Plugin: Tank");
}

void CGameTankPlugin::Refresh()
{
    m_bubbleSound.Refresh();
    m_lighting.Refresh(CLocalDay::GetHour(m_engine->GetConfig(), std::time(nullptr)));
    float const elapsed = m_engine->GetTimerManager()->GetElapsedTime();
    // The shafts move only as the caustics change, so the kept background is drawn again once
    // for both.
    if (m_caustics.Refresh(elapsed, CDayLight::GetCausticStrength(m_lighting.GetLight())))
        m_shafts.Refresh(m_caustics.GetTime());
    m_shadows.Refresh();
    m_cameraDrift.Refresh(elapsed);
}

void CGameTankPlugin::Destroy()
{
    if (!m_engine)
        return;
    m_bubbleSound.Destroy();
    m_shafts.Destroy();
    m_caustics.Destroy();
    m_lighting.Destroy();
    CTankFog::Remove(m_engine->GetDirect3DSubsystem());
    m_shadows.Destroy();
    m_cameraDrift.Destroy();
    m_scene.Destroy();
    m_engine->GetMessageManager()->Write("-Plugin: Tank");
    m_engine = nullptr;
}

LAGOONIX_DEFINE_PLUGIN(CGameTankPlugin, CGameTankPlugin::Priority, CGameTankPlugin::Type,
                       CGameTankPlugin::Version, CGameTankPlugin::Description)
