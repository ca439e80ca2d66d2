// CreateObject yields nothing.
#include "RecordingPlugin.h"

CLagoonix* CreateObject()
{
    return nullptr;
}
void DestroyObject(CLagoonix* object)
{
    delete object;
}
int GetAquariumPluginPriority()
{
    return 1;
}
int GetAquariumPluginType()
{
    return 2;
}
