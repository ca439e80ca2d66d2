#pragma once

// The seven functions every plug-in library exports, under their decorated names (each '@'
// stored as '$', see platform/DynamicLibrary.h). A plug-in includes this header and defines
// them, by hand or with LAGOONIX_DEFINE_PLUGIN.

#include "Lagoonix.h"

#include <cstring>
#include <new>

#if defined(__clang__)
#define LAGOONIX_EXPORT_NAME(name) __asm__(name)
#else
#define LAGOONIX_EXPORT_NAME(name) __asm__("\"" name "\"")
#endif

#define LAGOONIX_EXPORT __attribute__((visibility("default")))

LAGOONIX_EXPORT CLagoonix* CreateObject() LAGOONIX_EXPORT_NAME("?CreateObject$$YAPAVCLagoonix$$XZ");
LAGOONIX_EXPORT void DestroyObject(CLagoonix* object)
    LAGOONIX_EXPORT_NAME("?DestroyObject$$YAXPAVCLagoonix$$$Z");
LAGOONIX_EXPORT int GetAquariumPluginPriority() LAGOONIX_EXPORT_NAME("?GetAquariumPluginPriority$$YAHXZ");
LAGOONIX_EXPORT int GetAquariumPluginType() LAGOONIX_EXPORT_NAME("?GetAquariumPluginType$$YAHXZ");
LAGOONIX_EXPORT int GetPluginVersion() LAGOONIX_EXPORT_NAME("?GetPluginVersion$$YAHXZ");
LAGOONIX_EXPORT void GetShortDesription(char* out) LAGOONIX_EXPORT_NAME("?GetShortDesription$$YAXPAD$Z");
LAGOONIX_EXPORT void GetLongDesription(char* out) LAGOONIX_EXPORT_NAME("?GetLongDesription$$YAXPAD$Z");

// Defines all seven for a plug-in class with one description text.
#define LAGOONIX_DEFINE_PLUGIN(PluginClass, priority, type, version, description)                            \
    CLagoonix* CreateObject()                                                                                \
    {                                                                                                        \
        return new (std::nothrow) PluginClass();                                                             \
    }                                                                                                        \
    void DestroyObject(CLagoonix* object)                                                                    \
    {                                                                                                        \
        delete object;                                                                                       \
    }                                                                                                        \
    int GetAquariumPluginPriority()                                                                          \
    {                                                                                                        \
        return priority;                                                                                     \
    }                                                                                                        \
    int GetAquariumPluginType()                                                                              \
    {                                                                                                        \
        return type;                                                                                         \
    }                                                                                                        \
    int GetPluginVersion()                                                                                   \
    {                                                                                                        \
        return version;                                                                                      \
    }                                                                                                        \
    void GetShortDesription(char* out)                                                                       \
    {                                                                                                        \
        std::strcpy(out, description);                                                                       \
    }                                                                                                        \
    void GetLongDesription(char* out)                                                                        \
    {                                                                                                        \
        std::strcpy(out, description);                                                                       \
    }
