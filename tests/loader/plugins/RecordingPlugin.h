#pragma once

// A plug-in that writes what is done to it into the engine's log, so tests can follow the
// calls and their order; loading the library marks an environment variable.
#include "PluginExports.h"
#include "core/Engine.h"

#include <cstdio>
#include <cstdlib>

class CRecordingPlugin : public CLagoonix
{
public:
    explicit CRecordingPlugin(char const* name) : m_name(name) {}
    void Create(CEngine* engine, CCamera* camera) override
    {
        m_engine = engine;
        m_engine->GetMessageManager()->Write("create %s camera %s", m_name, camera ? "given" : "missing");
    }
    void Destroy() override
    {
        if (m_engine)
            m_engine->GetMessageManager()->Write("destroy %s", m_name);
        m_engine = nullptr;
    }
    void Refresh() override { m_engine->GetMessageManager()->Write("refresh %s", m_name); }

private:
    char const* m_name;
    CEngine* m_engine = nullptr;
};

#define RECORDING_PLUGIN_MARK_LOADED(name)                                                                   \
    namespace                                                                                                \
    {                                                                                                        \
    struct SLoadMark                                                                                         \
    {                                                                                                        \
        SLoadMark() { setenv("CORALUME_TEST_LOADED_" name, "1", 1); }                                        \
    } const g_loadMark;                                                                                      \
    }

// A whole recording plug-in library: type 2, version 100, `name` as its description.
#define RECORDING_PLUGIN(name, priority)                                                                     \
    RECORDING_PLUGIN_MARK_LOADED(name)                                                                       \
    namespace                                                                                                \
    {                                                                                                        \
    class CNamedRecordingPlugin : public CRecordingPlugin                                                    \
    {                                                                                                        \
    public:                                                                                                  \
        CNamedRecordingPlugin() : CRecordingPlugin(name) {}                                                  \
    };                                                                                                       \
    }                                                                                                        \
    LAGOONIX_DEFINE_PLUGIN(CNamedRecordingPlugin, priority, 2, 100, name)
