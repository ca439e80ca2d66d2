// Reads another plug-in's variable by name when created and in every frame, and requests that
// plug-in's command, as the plankton reads the fish school's values.
#include "RecordingPlugin.h"

class CReadingPlugin : public CLagoonix
{
public:
    void Create(CEngine* engine, CCamera*) override
    {
        m_engine = engine;
        Read();
    }
    void Destroy() override { m_engine = nullptr; }
    void Refresh() override
    {
        Read();
        m_engine->GetConfig()->SetCommandExecution("g_shared_command", false);
    }

private:
    void Read()
    {
        m_engine->GetMessageManager()->Write("read \"%s\"",
                                             m_engine->GetConfig()->GetValue("g_shared_count"));
    }

    CEngine* m_engine = nullptr;
};

LAGOONIX_DEFINE_PLUGIN(CReadingPlugin, 0, 2, 100, "Reading Plugin v1.0")
