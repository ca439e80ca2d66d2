#include "RecordingPlugin.h"

RECORDING_PLUGIN_MARK_LOADED("plankton")

CLagoonix* CreateObject()
{
    return new CRecordingPlugin("plankton");
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 600;
}
int GetAquariumPluginType()
{
    return 2;
}
int GetPluginVersion()
{
    return 100;
}
void GetShortDesription(char* out)
{
    std::snprintf(out, 64, "%s", "plankton");
}
void GetLongDesription(char* out)
{
    std::snprintf(out, 64, "%s", "plankton");
}
