#include "RecordingPlugin.h"

RECORDING_PLUGIN("plankton", 600)
