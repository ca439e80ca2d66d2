// All seven exports from the library's helper macro.
#include "RecordingPlugin.h"

class CMacroPlugin : public CRecordingPlugin
{
public:
    CMacroPlugin() : CRecordingPlugin("macro_defined") {}
};

LAGOONIX_DEFINE_PLUGIN(CMacroPlugin, 7, 2, 100, "Macro Plugin v1.0")
