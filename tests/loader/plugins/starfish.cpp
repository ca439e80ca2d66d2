#include "RecordingPlugin.h"

RECORDING_PLUGIN_MARK_LOADED("starfish")

CLagoonix* CreateObject()
{
    return new CRecordingPlugin("starfish");
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 500;
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
    std::snprintf(out, 64, "%s", "starfish");
}
void GetLongDesription(char* out)
{
    std::snprintf(out, 64, "%s", "starfish");
}
