#include "ShoalmindPlugin.h"

#include <ctime>

#include "LocalDay.h"
#include "PluginExports.h"
#include "core/Engine.h"
#include "platform/os/Clock.h"

CGameShoalmindPlugin::~CGameShoalmindPlugin()
{
    Destroy();
}

void CGameShoalmindPlugin::Create(CEngine* engine, CCamera* camera)
{
    m_engine = engine;
    m_school.Create(engine, camera, platform::GetTickMilliseconds(), engine->GetTimerManager()->GetTime());
    engine->GetMessageManager()->Write("+Plugin: Shoalmind");
}

void CGameShoalmindPlugin::Destroy()
{
    if (!m_engine)
        return;
    m_engine->GetMessageManager()->Write("-Plugin: Shoalmind");
    m_school.Destroy();
    m_engine = nullptr;
}

void CGameShoalmindPlugin::Refresh()
{
    if (!m_engine)
        return;
    CTimerManager* timers = m_engine->GetTimerManager();
    m_school.SetHour(CLocalDay::GetHour(m_engine->GetConfig(), std::time(nullptr)));
    m_school.RefreshOnClock(timers->GetPreciseTime(), timers->GetElapsedTime());
}

namespace
{
// Kept out of line: the exported names are assembler names, and GCC cannot name the split
// exception-cleanup part of a function that carries one.
[[gnu::noinline]] CLagoonix* NewPlugin()
{
    return new (std::nothrow) CGameShoalmindPlugin();
}
} // namespace

CLagoonix* CreateObject()
{
    return NewPlugin();
}

void DestroyObject(CLagoonix* object)
{
    delete object;
}

int GetAquariumPluginPriority()
{
    return CGameShoalmindPlugin::Priority;
}

int GetAquariumPluginType()
{
    return CGameShoalmindPlugin::Type;
}

int GetPluginVersion()
{
    return CGameShoalmindPlugin::Version;
}

void GetShortDesription(char* out)
{
    std::strcpy(out, CGameShoalmindPlugin::Description);
}

void GetLongDesription(char* out)
{
    std::strcpy(out, CGameShoalmindPlugin::Description);
}
