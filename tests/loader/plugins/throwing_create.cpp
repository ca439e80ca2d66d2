// Throws out of its Create.
#include "RecordingPlugin.h"
#include "core/Errors.h"

#include <stdexcept>

namespace
{
class CThrowingPlugin : public CRecordingPlugin
{
public:
    CThrowingPlugin() : CRecordingPlugin("throwing_create") {}
    void Create(CEngine*, CCamera*) override { throw std::runtime_error("create broke"); }
};
} // namespace

CLagoonix* CreateObject()
{
    return new CThrowingPlugin;
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 300;
}
int GetAquariumPluginType()
{
    return 2;
}
