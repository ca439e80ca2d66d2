#include "PlanktonPlugin.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "LocalDay.h"
#include "PlanktonGlow.h"
#include "PluginExports.h"
#include "SelfMaskedSprites.h"
#include "core/Engine.h"
#include "platform/os/Clock.h"
#include "render/ShaderDescriptor.h"

namespace
{
constexpr char const* Texture = "plankton.jpg";
} // namespace

CGamePlanktonPlugin::~CGamePlanktonPlugin()
{
    Destroy();
}

void CGamePlanktonPlugin::Create(CEngine* engine, CCamera* /*camera*/)
{
    m_engine = engine;
    std::uint32_t const ticks = platform::GetTickMilliseconds();
    std::srand(ticks);
    m_swarm.GetRandom().SetSeed(ticks);

    m_spriteGroup = AddSelfMaskedSpriteGroup(engine, Texture, CPlanktonSwarm::SpecksCount);
    m_spriteGroup->GetModel()->AddProperties(MP_FIXED_DEPTH);
    m_spriteGroup->GetModel()->SetDepthValue(-1.0f);
    m_swarm.Populate(m_spriteGroup);
    engine->GetMessageManager()->Write("+Plugin: Plankton");
}

void CGamePlanktonPlugin::Destroy()
{
    if (!m_engine)
        return;
    m_swarm.Clear();
    m_engine->GetSpriteGroupManager()->RemoveSpriteGroup(m_spriteGroup);
    m_spriteGroup = nullptr;
    m_fish.clear();
    m_engine->GetMessageManager()->Write("-Plugin: Plankton");
    m_engine = nullptr;
}

void CGamePlanktonPlugin::ReadFishPositions()
{
    CConfig* config = m_engine->GetConfig();
    int const count = std::atoi(config->GetValue("g_fishes_count"));
    m_fish.clear();
    char name[64];
    for (int i = 0; i < count; ++i) {
        CVector3 position;
        std::snprintf(name, sizeof name, "g_fish_%d_position_x", i);
        position.x = static_cast<float>(std::atof(config->GetValue(name)));
        std::snprintf(name, sizeof name, "g_fish_%d_position_y", i);
        position.y = static_cast<float>(std::atof(config->GetValue(name)));
        std::snprintf(name, sizeof name, "g_fish_%d_position_z", i);
        position.z = static_cast<float>(std::atof(config->GetValue(name)));
        m_fish.push_back(position);
    }
}

void CGamePlanktonPlugin::Refresh()
{
    if (!m_engine)
        return;
    ReadFishPositions();
    m_swarm.Refresh(m_engine->GetTimerManager()->GetElapsedTime(), m_fish.data(),
                    static_cast<unsigned int>(m_fish.size()));
    CPlanktonGlow::Apply(CLocalDay::GetHour(m_engine->GetConfig(), std::time(nullptr)), m_swarm,
                         m_spriteGroup);
}

LAGOONIX_DEFINE_PLUGIN(CGamePlanktonPlugin, CGamePlanktonPlugin::Priority, CGamePlanktonPlugin::Type,
                       CGamePlanktonPlugin::Version, CGamePlanktonPlugin::Description)
