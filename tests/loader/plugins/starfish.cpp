#include "RecordingPlugin.h"

RECORDING_PLUGIN("starfish", 500)
