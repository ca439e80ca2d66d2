// The plug-in's school is built into this test program as well.
#include "../../plugins/fish/Fish.cpp"
#include "../../plugins/fish/FishArea.cpp"
#include "../../plugins/fish/FishFiles.cpp"
#include "../../plugins/fish/FishGrid.cpp"
#include "../../plugins/fish/FishRoute.cpp"
#include "../../plugins/fish/FishSchool.cpp"
#include "../../plugins/fish/FishShoal.cpp"
