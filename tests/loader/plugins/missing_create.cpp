// Exports everything but CreateObject.
#include "RecordingPlugin.h"

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
