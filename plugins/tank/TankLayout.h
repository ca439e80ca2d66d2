#pragma once

#include <cmath>
#include <cstddef>

// Where everything in the tank stands. The plug-in places its models from these values and
// registers the fish areas and the starfish place from them; the content builder shapes the
// floor and writes the configuration file from the same values. z is up; the camera looks
// along +y from y = -18.3.
namespace tank
{

struct SBox
{
    float min[3];
    float max[3];
};

struct SPlacement
{
    float x, y;
    float scale;
    float turn;  // radians about z
    float phase; // animation start, in frames
};

// The sand floor: a gently rising, rippled height field. Between the inner sides it is finely
// shaped; beyond them it reaches as far as the widest view (three 32:9 monitors side by side)
// can see.
constexpr float FloorMinX = -112.0f, FloorMaxX = 112.0f;
constexpr float FloorInnerMinX = -20.0f, FloorInnerMaxX = 20.0f;
constexpr float FloorMinY = -13.0f, FloorMaxY = 11.0f;
constexpr float FloorBaseHeight = -1.9f;
constexpr float FloorSlope = 0.025f; // rise per unit of y
constexpr float RippleHeight = 0.035f;

// Floor height without ripples: what objects standing on the sand rest on.
inline float GetFloorHeight(float /*x*/, float y)
{
    return FloorBaseHeight + FloorSlope * (y - FloorMinY);
}

// Floor height with the sand's ripples, as the floor model is built.
inline float GetRippledFloorHeight(float x, float y)
{
    float const ripples =
        std::sin(x * 2.1f + std::sin(y * 0.45f) * 1.7f) * 0.7f + std::sin(x * 0.9f - y * 1.3f) * 0.3f;
    return GetFloorHeight(x, y) + RippleHeight * ripples;
}

// The backdrop: a tall water-coloured wall behind the floor.
constexpr float BackdropY = 10.5f;
constexpr float BackdropHalfWidth = 116.0f;
// One copy of the backdrop's picture is this wide; the first one starts at the left.
constexpr float BackdropPictureWidth = 92.0f / 3.0f;
constexpr float BackdropPictureStart = -46.0f;
constexpr float BackdropBottom = -16.0f, BackdropTop = 30.0f;
// Between the floor's sides the sand hides the backdrop from the camera below this height, so
// that part of the wall is left out: it would only cost depth tests.
constexpr float BackdropHiddenBelow = -1.5f;

// The caustic light lies this far above the sand so it never fights the floor for depth.
constexpr float CausticLift = 0.015f;
// Pictures in the caustic light's loop.
constexpr unsigned int CausticFrames = 16;

// The fish swim the whole water column: from just above the sand to high up, from near the
// front glass to among the rocks and behind the plants at the back.
constexpr SBox FishAreas[] = {
    {{-11.0f, -9.0f, -1.2f}, {11.0f, 7.0f, 8.5f}},
    {{-8.0f, -7.0f, -1.0f}, {8.0f, 3.0f, 8.0f}},
};
constexpr std::size_t FishAreasCount = sizeof FishAreas / sizeof FishAreas[0];

// The starfish lies on the sand in front, between the plant clusters, far enough back for the
// camera to see the sand it lies on.
constexpr float StarFishX = 2.6f, StarFishY = -4.6f;
inline float GetStarFishZ()
{
    return GetFloorHeight(StarFishX, StarFishY) + 0.01f;
}
// The starfish's arms reach this far from its centre, and its curling tips rise this high.
constexpr float StarFishReach = 1.05f;
constexpr float StarFishHeight = 0.3f;

// Two kinds of plant: tall ribbon grass and a low bushy fan.
constexpr SPlacement TallPlants[] = {
    {-8.6f, -3.2f, 1.10f, 0.3f, 0.0f}, {-7.1f, -1.4f, 0.85f, 1.9f, 3.0f}, {-9.9f, 0.6f, 1.25f, 4.1f, 7.0f},
    {8.1f, -2.6f, 1.05f, 2.4f, 5.0f},  {9.4f, 0.2f, 1.30f, 0.9f, 11.0f},  {6.6f, 1.8f, 0.90f, 5.2f, 2.0f},
    {-2.4f, 4.3f, 1.20f, 3.3f, 9.0f},  {1.6f, 5.4f, 1.35f, 1.1f, 13.0f},  {4.1f, 3.4f, 0.95f, 2.7f, 6.0f},
    {-5.6f, 5.8f, 1.15f, 4.6f, 1.0f},
};
constexpr SPlacement BushPlants[] = {
    {-5.4f, -7.4f, 0.75f, 0.4f, 4.0f}, {6.9f, -6.8f, 0.85f, 2.2f, 8.0f},  {-0.6f, 2.6f, 0.9f, 1.4f, 12.0f},
    {10.6f, 4.6f, 1.1f, 3.9f, 2.0f},   {-10.8f, 4.9f, 1.0f, 5.5f, 10.0f},
};

// Rocks: three shapes, each placed where its index says.
struct SRockPlacement
{
    unsigned int shape;
    float x, y;
    float scale;
    float turn;
};
constexpr SRockPlacement Rocks[] = {
    {0, -6.2f, 2.4f, 1.7f, 0.4f},   {1, 5.3f, 6.2f, 2.2f, 2.0f}, {2, 8.7f, -5.3f, 0.9f, 1.1f},
    {1, -3.3f, -6.6f, 0.65f, 4.0f}, {0, 0.4f, 8.2f, 2.8f, 5.1f}, {2, -11.5f, -1.8f, 1.4f, 3.2f},
    {2, 11.8f, 2.4f, 1.6f, 0.8f},
};
constexpr unsigned int RockShapesCount = 3;

// Rocks along the back wall, behind the fish: through the haze they give the far water depth.
constexpr SRockPlacement BackRocks[] = {
    {1, -9.0f, 9.8f, 2.3f, 0.6f}, {0, -3.6f, 10.0f, 1.9f, 2.3f}, {2, 9.6f, 9.8f, 2.1f, 4.2f},
    {1, 15.5f, 9.6f, 2.4f, 1.2f}, {0, -15.8f, 9.7f, 2.2f, 5.0f},
};

// Tall plants among the back rocks: through the haze only their swaying outlines show.
constexpr SPlacement BackPlants[] = {
    {-12.4f, 9.9f, 1.75f, 1.3f, 2.0f}, {-6.3f, 10.1f, 1.60f, 3.7f, 8.0f}, {-0.8f, 10.2f, 1.85f, 0.6f, 5.0f},
    {4.2f, 9.9f, 1.70f, 2.9f, 11.0f},  {12.6f, 10.0f, 1.80f, 4.8f, 1.0f},
};

// Rocks and plants out to the sides, beyond what a 4:3 view shows: wider views see them.
constexpr SRockPlacement OuterRocks[] = {
    {0, -17.0f, 5.5f, 1.6f, 1.0f}, {2, 16.5f, 2.0f, 1.3f, 2.5f},  {1, -24.0f, 7.5f, 2.0f, 0.7f},
    {0, 26.0f, 4.0f, 1.8f, 3.9f},  {2, -33.0f, 3.0f, 1.6f, 5.3f}, {1, 35.5f, 7.0f, 2.2f, 1.8f},
    {0, -44.0f, 5.0f, 2.4f, 2.9f}, {2, 47.0f, 3.0f, 1.8f, 4.4f},  {1, -56.0f, 6.0f, 2.6f, 2.2f},
    {0, 60.0f, 7.5f, 2.3f, 0.3f},  {2, -71.0f, 4.0f, 2.0f, 1.4f}, {1, 74.5f, 5.0f, 2.7f, 3.3f},
    {0, -88.0f, 7.0f, 2.9f, 4.8f}, {2, 91.0f, 6.0f, 2.2f, 5.9f},  {1, -102.0f, 5.5f, 2.5f, 0.9f},
    {0, 104.0f, 4.5f, 2.8f, 2.6f},
};
constexpr SPlacement OuterTallPlants[] = {
    {-14.5f, 3.5f, 1.20f, 0.8f, 4.0f}, {19.5f, 6.0f, 1.10f, 2.1f, 8.0f},  {-28.0f, 5.0f, 1.30f, 3.6f, 12.0f},
    {30.5f, 1.5f, 1.25f, 5.0f, 6.0f},  {-38.5f, 6.5f, 1.35f, 1.5f, 3.0f}, {41.0f, 5.5f, 1.15f, 4.2f, 10.0f},
    {-63.0f, 5.5f, 1.40f, 2.6f, 5.0f}, {66.5f, 6.5f, 1.30f, 0.4f, 9.0f},  {-80.0f, 6.0f, 1.45f, 4.9f, 1.0f},
    {83.0f, 7.0f, 1.35f, 3.0f, 13.0f}, {-95.0f, 7.5f, 1.40f, 1.7f, 7.0f}, {97.5f, 5.0f, 1.50f, 5.6f, 2.0f},
};
constexpr SPlacement OuterBushPlants[] = {
    {-12.5f, -2.5f, 0.9f, 2.8f, 6.0f}, {13.0f, -1.0f, 0.9f, 4.7f, 9.0f},  {-21.0f, 1.0f, 1.1f, 1.2f, 3.0f},
    {23.0f, -2.0f, 1.0f, 3.1f, 11.0f}, {-36.0f, -0.5f, 1.0f, 0.5f, 5.0f}, {38.0f, 0.5f, 1.1f, 2.0f, 7.0f},
    {-50.0f, 1.5f, 1.2f, 4.0f, 2.0f},  {53.0f, 2.5f, 1.1f, 1.3f, 10.0f},  {-67.5f, 0.5f, 1.2f, 5.2f, 8.0f},
    {70.0f, 1.0f, 1.3f, 2.7f, 4.0f},   {-84.0f, 2.0f, 1.2f, 0.9f, 12.0f}, {87.5f, 2.5f, 1.3f, 3.8f, 6.0f},
};

// Bubble streams rise from behind rocks and plants.
struct SBubbleStream
{
    float x, y;
};
constexpr SBubbleStream BubbleStreams[] = {
    {-7.6f, -2.2f},
    {5.8f, 5.2f},
    {-1.2f, 7.0f},
};

} // namespace tank
