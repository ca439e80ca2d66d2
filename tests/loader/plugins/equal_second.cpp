#include "RecordingPlugin.h"

RECORDING_PLUGIN_MARK_LOADED("equal_second")

CLagoonix* CreateObject()
{
    return new CRecordingPlugin("equal_second");
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 100;
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
    std::snprintf(out, 64, "%s", "equal_second");
}
void GetLongDesription(char* out)
{
    std::snprintf(out, 64, "%s", "equal_second");
}
