#include "TankPlugin.h"

#include "PluginExports.h"
#include "core/Engine.h"

CGameTankPlugin::~CGameTankPlugin()
{
    Destroy();
}

void CGameTankPlugin::Create(CEngine* engine, CCamera* /*camera*/)
{
    m_engine = engine;
    m_variables.Register(engine->GetConfig());
    m_scene.Create(engine);
    m_bubbleSound.Create(engine->GetSoundManager(), engine->GetConfig());
    m_bubbleSound.Refresh();
    engine->GetMessageManager()->Write("+Plugin: Tank");
}

void CGameTankPlugin::Refresh()
{
    m_bubbleSound.Refresh();
}

void CGameTankPlugin::Destroy()
{
    if (!m_engine)
        return;
    m_bubbleSound.Destroy();
    m_scene.Destroy();
    m_engine->GetMessageManager()->Write("-Plugin: Tank");
    m_engine = nullptr;
}

LAGOONIX_DEFINE_PLUGIN(CGameTankPlugin, CGameTankPlugin::Priority, CGameTankPlugin::Type,
                       CGameTankPlugin::Version, CGameTankPlugin::Description)
