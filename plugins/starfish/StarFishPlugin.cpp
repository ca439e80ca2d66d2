#include "StarFishPlugin.h"

#include "PluginExports.h"
#include "core/Engine.h"
#include "core/Errors.h"
#include "core/Format.h"

CGameChocolateStarFishPlugin::~CGameChocolateStarFishPlugin()
{
    Destroy();
}

void CGameChocolateStarFishPlugin::Create(CEngine* engine, CCamera* /*camera*/)
{
    m_engine = engine;
    CFormat const path("%s\\Plugins\\StarFish.dat", engine->GetConfig()->GetValue("g_install_path"));
    CFile* descriptor = ReadConfigFile(engine, path.GetString().c_str());
    if (!descriptor)
        engine->GetMessageManager()->WriteFatalError("Cannot open Plugins\\StarFish.dat");
    std::optional<float> speed;
    try {
        speed = CStarFishScene::ReadAnimationSpeed(descriptor);
    } catch (CFileError const& error) {
        // A descriptor cut short leaves the models at their own animation speed.
        engine->GetMessageManager()->WriteError("%s", error.GetText());
    }
    m_scene.Create(engine->GetModelManager(), speed, CStarFishScene::ReadPosition(engine->GetConfig()));
    engine->GetMessageManager()->Write("+Plugin: StarFish");
}

void CGameChocolateStarFishPlugin::Destroy()
{
    if (!m_engine)
        return;
    m_scene.Destroy();
    m_engine->GetMessageManager()->Write("-Plugin: StarFish");
    m_engine = nullptr;
}

LAGOONIX_DEFINE_PLUGIN(CGameChocolateStarFishPlugin, CGameChocolateStarFishPlugin::Priority,
                       CGameChocolateStarFishPlugin::Type, CGameChocolateStarFishPlugin::Version,
                       CGameChocolateStarFishPlugin::Description)
