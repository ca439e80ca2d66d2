// The plug-in's swarm is built into this test program as well.
#include "../../plugins/plankton/PlanktonSwarm.cpp"
