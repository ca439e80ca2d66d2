#include "RecordingPlugin.h"

RECORDING_PLUGIN("fish", 0)
