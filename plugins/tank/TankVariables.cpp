#include "TankVariables.h"

#include <algorithm>
#include <cstdio>

#include "core/Config.h"

namespace
{
void FormatFloat(char (&text)[32], float value)
{
    std::snprintf(text, sizeof text, "%0.4f", value);
}
} // namespace

void CTankVariables::Register(CConfig* config)
{
    static_assert(tank::FishAreasCount <= MaxAreas);
    char defaultValue[32];
    std::snprintf(defaultValue, sizeof defaultValue, "%d", static_cast<int>(tank::FishAreasCount));
    config->CreateCommand("g_fish_areas_count", CCT_INT, false, false, &m_areasCount, defaultValue);
    // Every slot is registered, so a configuration file may add areas beyond the layout's.
    static char const* const corners[2] = {"min", "max"};
    static char const* const axes[3] = {"x", "y", "z"};
    for (unsigned int area = 0; area < MaxAreas; ++area) {
        for (unsigned int value = 0; value < 6; ++value) {
            float layoutValue = 0.0f;
            if (area < tank::FishAreasCount) {
                tank::SBox const& box = tank::FishAreas[area];
                layoutValue = value < 3 ? box.min[value] : box.max[value - 3];
            }
            char name[64];
            std::snprintf(name, sizeof name, "g_fish_area_%u_%s_%s", area, corners[value / 3],
                          axes[value % 3]);
            FormatFloat(defaultValue, layoutValue);
            config->CreateCommand(name, CCT_FLOAT, false, false, &m_areas[area][value], defaultValue);
        }
    }
    float const starFish[3] = {tank::StarFishX, tank::StarFishY, tank::GetStarFishZ()};
    static char const* const starFishNames[3] = {"g_star_fish_x", "g_star_fish_y", "g_star_fish_z"};
    for (unsigned int axis = 0; axis < 3; ++axis) {
        FormatFloat(defaultValue, starFish[axis]);
        config->CreateCommand(starFishNames[axis], CCT_FLOAT, false, false, &m_starFish[axis], defaultValue);
    }
}

void CTankVariables::RegisterObstacles(CConfig* config,
                                       std::vector<std::pair<CVector3, CVector3>> const& rocks)
{
    std::vector<std::pair<CVector3, CVector3>> boxes(
        rocks.begin(), rocks.begin() + std::min<std::size_t>(rocks.size(), MaxObstacles - 1));
    CVector3 const star(tank::StarFishX, tank::StarFishY, tank::GetStarFishZ());
    CVector3 const reach(tank::StarFishReach, tank::StarFishReach, 0.0f);
    boxes.emplace_back(star - reach, star + reach + CVector3(0.0f, 0.0f, tank::StarFishHeight));

    char defaultValue[32];
    std::snprintf(defaultValue, sizeof defaultValue, "%d", static_cast<int>(boxes.size()));
    config->CreateCommand("g_fish_obstacles_count", CCT_INT, false, false, &m_obstaclesCount, defaultValue);
    static char const* const corners[2] = {"min", "max"};
    static char const* const axes[3] = {"x", "y", "z"};
    for (unsigned int obstacle = 0; obstacle < MaxObstacles; ++obstacle) {
        for (unsigned int value = 0; value < 6; ++value) {
            float boxValue = 0.0f;
            if (obstacle < boxes.size())
                boxValue = value < 3 ? boxes[obstacle].first[value] : boxes[obstacle].second[value - 3];
            char name[64];
            std::snprintf(name, sizeof name, "g_fish_obstacle_%u_%s_%s", obstacle, corners[value / 3],
                          axes[value % 3]);
            FormatFloat(defaultValue, boxValue);
            config->CreateCommand(name, CCT_FLOAT, false, false, &m_obstacles[obstacle][value], defaultValue);
        }
    }
}
