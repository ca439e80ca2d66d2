// Exports everything but GetAquariumPluginType; the object is never kept.
#include "RecordingPlugin.h"

RECORDING_PLUGIN_MARK_LOADED("missing_type")

CLagoonix* CreateObject()
{
    return new CRecordingPlugin("missing_type");
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 1;
}
