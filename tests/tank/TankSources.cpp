// The plug-in's parts are built into this test program as well.
#include "../../plugins/tank/BubbleSound.cpp"
#include "../../plugins/tank/TankCameraDrift.cpp"
#include "../../plugins/tank/TankFog.cpp"
#include "../../plugins/tank/TankScene.cpp"
#include "../../plugins/tank/TankShadows.cpp"
#include "../../plugins/tank/TankVariables.cpp"
