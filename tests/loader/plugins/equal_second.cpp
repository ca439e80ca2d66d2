#include "RecordingPlugin.h"

RECORDING_PLUGIN("equal_second", 100)
