#pragma once

#include <utility>
#include <vector>

#include "TankLayout.h"
#include "math/Vector.h"

class CConfig;

// The shared values the tank publishes from its layout: the fish swimming areas
// ("g_fish_areas_count", "g_fish_area_%d_min_x" ... "_max_z") and the starfish's place on the
// sand ("g_star_fish_x/y/z"), and the boxes of the decor fish keep out of
// ("g_fish_obstacles_count", "g_fish_obstacle_%d_min_x" ... "_max_z"). They are changeable, so lines of the
// configuration file apply when they register; they are not saved, because the storage goes with the plug-in
// while the engine may save its configuration later.
class CTankVariables
{
public:
    static constexpr unsigned int MaxAreas = 16;
    static constexpr unsigned int MaxObstacles = 16;

    CTankVariables() = default;
    CTankVariables(CTankVariables const&) = delete;
    CTankVariables& operator=(CTankVariables const&) = delete;

    // Registers every variable with the layout's value as its default.
    void Register(CConfig* config);
    // Registers the decor boxes: the rocks as the scene placed them (world boxes, min then
    // max corner) and the starfish from the layout.
    void RegisterObstacles(CConfig* config, std::vector<std::pair<CVector3, CVector3>> const& rocks);

    int GetAreasCount() const { return m_areasCount; }
    // Corner values of area `area`: axis 0..2 of the minimum, 3..5 of the maximum.
    float GetAreaValue(unsigned int area, unsigned int value) const { return m_areas[area][value]; }
    float GetStarFish(unsigned int axis) const { return m_starFish[axis]; }
    int GetObstaclesCount() const { return m_obstaclesCount; }
    // Corner values of obstacle `obstacle`, in the order of the areas'.
    float GetObstacleValue(unsigned int obstacle, unsigned int value) const
    {
        return m_obstacles[obstacle][value];
    }

private:
    int m_areasCount = 0;
    float m_areas[MaxAreas][6] = {};
    float m_starFish[3] = {};
    int m_obstaclesCount = 0;
    float m_obstacles[MaxObstacles][6] = {};
};
