#include "RecordingPlugin.h"

RECORDING_PLUGIN("equal_first", 100)
