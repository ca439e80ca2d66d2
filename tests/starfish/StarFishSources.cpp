// The plug-in's scene is built into this test program as well.
#include "../../plugins/starfish/StarFishScene.cpp"
