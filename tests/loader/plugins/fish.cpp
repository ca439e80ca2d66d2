#include "RecordingPlugin.h"

RECORDING_PLUGIN_MARK_LOADED("fish")

CLagoonix* CreateObject()
{
    return new CRecordingPlugin("fish");
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 0;
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
    std::snprintf(out, 64, "%s", "fish");
}
void GetLongDesription(char* out)
{
    std::snprintf(out, 64, "%s", "fish");
}
