// The plug-in's parts are built into this test program as well.
#include "../../plugins/base/LocalDay.cpp"
#include "../../plugins/tank/BubbleSound.cpp"
#include "../../plugins/tank/DayLight.cpp"
#include "../../plugins/tank/TankFog.cpp"
#include "../../plugins/tank/TankLighting.cpp"
#include "../../plugins/tank/TankScene.cpp"
#include "../../plugins/tank/TankVariables.cpp"
