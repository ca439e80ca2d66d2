// The plug-in's swarm is built into this test program as well.
#include "../../plugins/base/LocalDay.cpp"
#include "../../plugins/plankton/PlanktonGlow.cpp"
#include "../../plugins/plankton/PlanktonSwarm.cpp"
