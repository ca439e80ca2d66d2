#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "../../plugins/tank/TankLayout.h"

namespace
{

bool InsideFloor(float x, float y)
{
    return x > tank::FloorMinX && x < tank::FloorMaxX && y > tank::FloorMinY && y < tank::FloorMaxY;
}

TEST(TankLayoutTest, FishAreasLieAboveTheSandAndInsideTheTank)
{
    for (tank::SBox const& area : tank::FishAreas) {
        for (float x : {area.min[0], area.max[0]}) {
            for (float y : {area.min[1], area.max[1]}) {
                EXPECT_TRUE(InsideFloor(x, y)) << x << ", " << y;
                // Ripples included, the fish swim down to just above the sand.
                EXPECT_GT(area.min[2], tank::GetFloorHeight(x, y) + tank::RippleHeight + 0.1f);
            }
        }
        EXPECT_LT(area.max[1], tank::BackdropY);
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_LT(area.min[axis], area.max[axis]);
    }
}

TEST(TankLayoutTest, PlantsStandAmongTheFishAndTheStarFishLiesOnTheSand)
{
    // Some plants stand inside the main area's floor plan, so the fish swim between them.
    tank::SBox const& area = tank::FishAreas[0];
    int among = 0;
    for (tank::SPlacement const& plant : tank::TallPlants) {
        EXPECT_TRUE(InsideFloor(plant.x, plant.y));
        among +=
            plant.x > area.min[0] && plant.x < area.max[0] && plant.y > area.min[1] && plant.y < area.max[1];
    }
    EXPECT_GE(among, 3);
    EXPECT_TRUE(InsideFloor(tank::StarFishX, tank::StarFishY));
    float const ground = tank::GetFloorHeight(tank::StarFishX, tank::StarFishY);
    EXPECT_NEAR(tank::GetStarFishZ(), ground, 0.05f);
    // Nothing else stands where the starfish lies.
    for (tank::SRockPlacement const& rock : tank::Rocks)
        EXPECT_GT(std::hypot(rock.x - tank::StarFishX, rock.y - tank::StarFishY), rock.scale * 1.5f + 0.6f);
    for (tank::SPlacement const& plant : tank::BushPlants)
        EXPECT_GT(std::hypot(plant.x - tank::StarFishX, plant.y - tank::StarFishY), 1.5f);
}

// The opening camera stands at y = -18.316 looking along +y with a field of view of 57.5, whose
// vertical half angle is 57.5 · 4/3 / 4 degrees; a view of aspect a sees tan(that) · a · d to
// either side at distance d.
constexpr float CameraY = -18.316f;
float SideReach(float aspect, float y)
{
    return std::tan(57.5f * 4.0f / 3.0f * 0.25f * 3.14159265f / 180.0f) * aspect * (y - CameraY);
}

TEST(TankLayoutTest, SandAndBackWallFillTheWidestViewAndTheSideDecorStaysOutOfFourToThree)
{
    // Three 32:9 monitors side by side.
    constexpr float Widest = 3.0f * 32.0f / 9.0f;
    EXPECT_GT(tank::FloorMaxX, SideReach(Widest, tank::FloorMaxY));
    EXPECT_LT(tank::FloorMinX, -SideReach(Widest, tank::FloorMaxY));
    EXPECT_GT(tank::BackdropHalfWidth, SideReach(Widest, tank::BackdropY));
    // Rocks and plants reach at most about three times their scale from where they stand.
    auto const outside4To3 = [](float x, float y, float scale) {
        return std::fabs(x) - 3.0f * scale > SideReach(4.0f / 3.0f, y);
    };
    for (tank::SRockPlacement const& rock : tank::OuterRocks)
        EXPECT_TRUE(outside4To3(rock.x, rock.y, rock.scale)) << rock.x;
    for (tank::SPlacement const& plant : tank::OuterTallPlants)
        EXPECT_TRUE(outside4To3(plant.x, plant.y, plant.scale)) << plant.x;
    for (tank::SPlacement const& plant : tank::OuterBushPlants)
        EXPECT_TRUE(outside4To3(plant.x, plant.y, plant.scale)) << plant.x;
}

TEST(TankLayoutTest, RipplesStayWithinTheirHeight)
{
    for (float x = tank::FloorMinX; x <= tank::FloorMaxX; x += 0.37f) {
        for (float y = tank::FloorMinY; y <= tank::FloorMaxY; y += 0.41f)
            EXPECT_LE(std::fabs(tank::GetRippledFloorHeight(x, y) - tank::GetFloorHeight(x, y)),
                      tank::RippleHeight + 1e-5f);
    }
}

// The content builder writes the same values into the configuration file it generates.
TEST(TankLayoutTest, GeneratedConfigurationFileMatchesTheLayout)
{
    std::filesystem::path const path = std::filesystem::path(CORALUME_STAGE_DIR) / "Data" / "Coralume.ini";
    if (!std::filesystem::exists(path))
        GTEST_SKIP() << "content not generated: " << path;
    std::map<std::string, float> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("//", 0) == 0)
            continue;
        std::istringstream fields(line);
        std::string name;
        float value;
        if (fields >> name >> value)
            values[name] = value;
    }
    ASSERT_EQ(values["g_fish_areas_count"], static_cast<float>(tank::FishAreasCount));
    char const* const axes[] = {"x", "y", "z"};
    for (std::size_t i = 0; i < tank::FishAreasCount; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            std::string const prefix = "g_fish_area_" + std::to_string(i);
            EXPECT_NEAR(values[prefix + "_min_" + axes[axis]], tank::FishAreas[i].min[axis], 1e-4f);
            EXPECT_NEAR(values[prefix + "_max_" + axes[axis]], tank::FishAreas[i].max[axis], 1e-4f);
        }
    }
    EXPECT_NEAR(values["g_star_fish_x"], tank::StarFishX, 1e-4f);
    EXPECT_NEAR(values["g_star_fish_y"], tank::StarFishY, 1e-4f);
    EXPECT_NEAR(values["g_star_fish_z"], tank::GetStarFishZ(), 1e-4f);
}

} // namespace
