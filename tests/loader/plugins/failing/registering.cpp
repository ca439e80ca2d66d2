// Registers a variable bound to its own storage and a command, then throws out of the call
// chosen when it is built: FAIL_IN_CREATE, FAIL_IN_REFRESH or FAIL_IN_DESTROY.
#include "RecordingPlugin.h"

#include <stdexcept>

namespace
{
class CRegisteringPlugin : public CRecordingPlugin
{
public:
    CRegisteringPlugin() : CRecordingPlugin(PLUGIN_NAME) {}

    void Create(CEngine* engine, CCamera* camera) override
    {
        CRecordingPlugin::Create(engine, camera);
        CConfig* config = engine->GetConfig();
        config->CreateCommand("g_shared_count", CCT_INT, false, false, &m_sharedCount, "42");
        config->CreateCommand("g_shared_command", CCT_COMMAND, false, false, nullptr, "");
#ifdef FAIL_IN_CREATE
        throw std::runtime_error("create broke");
#endif
    }

    void Refresh() override
    {
#ifdef FAIL_IN_REFRESH
        throw std::runtime_error("refresh broke");
#endif
        CRecordingPlugin::Refresh();
    }

    void Destroy() override
    {
        CRecordingPlugin::Destroy();
#ifdef FAIL_IN_DESTROY
        throw std::runtime_error("destroy broke");
#endif
    }

private:
    int m_sharedCount = 0;
};
} // namespace

LAGOONIX_DEFINE_PLUGIN(CRegisteringPlugin, 700, 2, 100, "Registering Plugin v1.0")
