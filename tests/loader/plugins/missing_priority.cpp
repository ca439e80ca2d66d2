// Loads and creates, but has no priority function: a damaged plug-in.
#include "RecordingPlugin.h"

CLagoonix* CreateObject()
{
    return new CRecordingPlugin("missing_priority");
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginType()
{
    return 2;
}
