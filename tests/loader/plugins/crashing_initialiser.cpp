// A library whose own initialiser crashes as it is loaded, before any export is called.
#include "RecordingPlugin.h"

#include <csignal>

namespace
{
struct SCrashOnLoad
{
    SCrashOnLoad() { std::raise(SIGSEGV); }
} const g_crashOnLoad;
} // namespace

RECORDING_PLUGIN("crashing_initialiser", 1)
