// Throws out of its Refresh.
#include "RecordingPlugin.h"
#include "core/Errors.h"

#include <stdexcept>

namespace
{
class CThrowingPlugin : public CRecordingPlugin
{
public:
    CThrowingPlugin() : CRecordingPlugin("throwing_refresh") {}
    void Refresh() override { throw CFileError("refresh broke"); }
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
    return 200;
}
int GetAquariumPluginType()
{
    return 2;
}
