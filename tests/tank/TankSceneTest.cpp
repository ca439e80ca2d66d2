#include "sprites/SpriteFixture.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "../../plugins/base/Lagoonix.h"
#include "../../plugins/tank/BubbleSound.h"
#include "../../plugins/tank/TankCameraDrift.h"
#include "../../plugins/tank/TankLightShafts.h"
#include "../../plugins/tank/TankScene.h"
#include "../../plugins/tank/TankVariables.h"
#include "WaveOutput.h"
#include "core/Config.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "model/ParticleSystem.h"
#include "model/ParticleSystemManager.h"
#include "platform/os/DynamicLibrary.h"
#include "render/LightManager.h"
#include "render/TriangleSet.h"
#include "render/VertexBuffer.h"

namespace
{

namespace fs = std::filesystem;

// The engine on the scripted device, its data folder holding the tank's generated files.
class TankTest : public SpriteFixture
{
protected:
    void SetUp() override
    {
        // Every engine of this program plays into the wave file, never a real device.
        PrepareWaveOutput();
        SpriteFixture::SetUp();
        if (HasFatalFailure())
            return;
        fs::path const stageData = fs::path(CORALUME_STAGE_DIR) / "Data";
        if (!fs::exists(stageData / "Models" / "tank_sand.mlf"))
            GTEST_SKIP() << "content not generated in " << stageData;
        // The fixture's data folder is spelled in lower case.
        for (char const* folder : {"Models", "Textures", "Particle Systems", "Sounds"}) {
            fs::create_directories(directory / "data" / folder);
            for (auto const& entry : fs::directory_iterator(stageData / folder)) {
                std::string const name = entry.path().filename().string();
                if (name.rfind("tank_", 0) == 0 || name.rfind("caustic", 0) == 0 ||
                    name.rfind("bubble", 0) == 0)
                    fs::copy_file(entry.path(), directory / "data" / folder / name);
            }
        }
    }

    static CVector3 PlaceOf(CModel const* model) { return model->GetMatrix() * CVector3(0, 0, 0); }

    bool Logged(char const* text)
    {
        CMessageManager* messages = engine.GetMessageManager();
        for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
            if (std::strstr(messages->GetMessageText(i), text))
                return true;
        }
        return false;
    }

    CTankScene scene;
};

TEST_F(TankTest, SceneStandsOnTheSandWithEveryPieceOfTheLayout)
{
    unsigned int const modelsBefore = Models()->GetOccupiedModelsIndicesCount();
    scene.Create(&engine);
    std::size_t const plants = std::size(tank::TallPlants) + std::size(tank::BushPlants);
    std::size_t const outer = std::size(tank::BackRocks) + std::size(tank::BackPlants) +
                              std::size(tank::OuterRocks) + std::size(tank::OuterTallPlants) +
                              std::size(tank::OuterBushPlants);
    // Backdrop, sand, rocks, plants, the decor out to the sides and the bubble streams' sprite groups.
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(),
              modelsBefore + 2 + std::size(tank::Rocks) + plants + outer + std::size(tank::BubbleStreams));
    EXPECT_EQ(scene.GetOuterDecor().size(), outer);
    ASSERT_EQ(scene.GetRocks().size(), std::size(tank::Rocks));
    for (std::size_t i = 0; i < scene.GetRocks().size(); ++i) {
        CVector3 const place = PlaceOf(scene.GetRocks()[i]);
        EXPECT_NEAR(place.x, tank::Rocks[i].x, 1e-4f);
        EXPECT_NEAR(place.y, tank::Rocks[i].y, 1e-4f);
        EXPECT_NEAR(place.z, tank::GetFloorHeight(place.x, place.y), 1e-4f);
    }
    ASSERT_EQ(scene.GetPlants().size(), plants);
    CVector3 const firstPlant = PlaceOf(scene.GetPlants()[0]);
    EXPECT_NEAR(firstPlant.x, tank::TallPlants[0].x, 1e-4f);
    EXPECT_NEAR(firstPlant.z, tank::GetFloorHeight(firstPlant.x, firstPlant.y), 1e-4f);
    // No model fell back to the placeholder box (24 vertices): every file was read.
    constexpr unsigned int PlaceholderBoxVertices = 24;
    for (CModel* model : {scene.GetBackdrop(), scene.GetSand(), scene.GetRocks()[0], scene.GetPlants()[0]}) {
        ASSERT_NE(model->GetVertexBuffer(), nullptr) << model->GetFileName();
        EXPECT_NE(model->GetVertexBuffer()->GetSize(), PlaceholderBoxVertices) << model->GetFileName();
    }
    scene.Destroy();
    EXPECT_TRUE(scene.IsFree());
    EXPECT_EQ(Models()->GetOccupiedModelsIndicesCount(), modelsBefore);
    EXPECT_EQ(engine.GetParticleSystemManager()->GetOccupiedParticleSystemsIndicesCount(), 0u);
}

TEST_F(TankTest, PlantsSwayThroughALoopingMorphAnimationOutOfStep)
{
    scene.Create(&engine);
    CModel* first = scene.GetPlants()[0];
    CModel* second = scene.GetPlants()[1];
    ASSERT_TRUE(first->GetProperties() & MP_MORPH);
    AnimationControl* animation = first->GetAnimationControl();
    ASSERT_NE(animation, nullptr);
    EXPECT_TRUE(animation->IsPlaying());
    EXPECT_TRUE(animation->IsLooped());
    EXPECT_GT(animation->GetSpeed(), 0.0f);
    EXPECT_NE(animation->GetTime(), second->GetAnimationControl()->GetTime());
    // The tip of a blade moves between frames.
    first->Refresh(false);
    std::vector<CVector3> before;
    for (unsigned int i = 0; i < first->GetVertexBuffer()->GetSize(); ++i)
        before.push_back(first->GetVertexBuffer()->Get()[i].position);
    animation->Advance(0.8f);
    first->Refresh(false);
    float largest = 0.0f;
    for (unsigned int i = 0; i < before.size(); ++i)
        largest = std::max(largest, (first->GetVertexBuffer()->Get()[i].position - before[i]).GetLength());
    EXPECT_GT(largest, 0.05f);
    // Many cycles later it still plays.
    for (int i = 0; i < 200; ++i)
        animation->Advance(0.1f);
    EXPECT_TRUE(animation->IsPlaying());
}

TEST_F(TankTest, CausticsFallOnTheLitSceneryAndTheShaftsSwaySlowlyInUnseenSteps)
{
    scene.Create(&engine);
    // The caustic light falls on what is lit: the sand and the rocks, not the backdrop's water.
    EXPECT_FALSE(scene.GetBackdrop()->GetProperties() & MP_LIGHTING);
    EXPECT_TRUE(scene.GetSand()->GetProperties() & MP_LIGHTING);
    EXPECT_TRUE(scene.GetRocks()[0]->GetProperties() & MP_LIGHTING);

    CTankLightShafts shafts;
    shafts.Create(scene.GetBackdrop());
    float lowest = 0.0f, highest = 0.0f, largestStep = 0.0f, previous = shafts.GetOffset();
    unsigned int moves = 0;
    for (int tenth = 1; tenth <= 1200; ++tenth) {
        moves += shafts.Refresh(tenth / 10.0) ? 1u : 0u;
        float const offset = shafts.GetOffset();
        largestStep = std::max(largestStep, std::abs(offset - previous));
        lowest = std::min(lowest, offset);
        highest = std::max(highest, offset);
        previous = offset;
    }
    // Over two minutes the shafts sway by a few texels of the backdrop's picture each way ...
    EXPECT_GT(highest - lowest, 0.03f);
    EXPECT_LE(highest - lowest, 2.0f * (CTankLightShafts::Sway[0] + CTankLightShafts::Sway[1]) + 1e-5f);
    // ... moving at most a texel (of 128) at a time, and most tenths of a second not at all.
    EXPECT_LT(largestStep, 1.0f / 128.0f);
    EXPECT_LT(moves, 300u);
    EXPECT_GT(moves, 20u);
}

TEST_F(TankTest, BubbleStreamsRiseFromTheSandAndTheSunLightsTheTank)
{
    scene.Create(&engine);
    ASSERT_EQ(scene.GetBubbleStreams().size(), std::size(tank::BubbleStreams));
    for (std::size_t i = 0; i < scene.GetBubbleStreams().size(); ++i) {
        CParticleSystem* bubbles = scene.GetBubbleStreams()[i];
        EXPECT_TRUE(bubbles->IsAnimationPlaying());
        EXPECT_TRUE(bubbles->IsAnimationLooped());
        EXPECT_NEAR(bubbles->GetPosition().x, tank::BubbleStreams[i].x, 1e-5f);
        EXPECT_NEAR(bubbles->GetPosition().z,
                    tank::GetFloorHeight(bubbles->GetPosition().x, bubbles->GetPosition().y), 1e-5f);
        // Rising: the settings point up.
        EXPECT_GT(bubbles->GetSettings()->direction[0].z, 0.5f);
    }
    CLightManager* lights = engine.GetLightManager();
    EXPECT_EQ(lights->GetLightsCount(), 1u);
    EXPECT_GT(lights->GetGlobalAmbient().x, 0.0f);
    scene.Destroy();
    EXPECT_EQ(lights->GetLightsCount(), 0u);
}

TEST_F(TankTest, VariablesTakeTheLayoutUnlessTheConfigurationFileSaysOtherwise)
{
    CConfig* config = engine.GetConfig();
    {
        std::ofstream file(directory / "SpriteTest.ini", std::ios::app);
        file << "g_fish_area_1_max_z 3.2500\ng_star_fish_x -4.5\n";
    }
    config->Load();
    CTankVariables variables;
    variables.Register(config);
    EXPECT_EQ(config->GetValueAsInt("g_fish_areas_count"), static_cast<int>(tank::FishAreasCount));
    EXPECT_FLOAT_EQ(config->GetValueAsFloat("g_fish_area_0_min_x"), tank::FishAreas[0].min[0]);
    EXPECT_FLOAT_EQ(config->GetValueAsFloat("g_fish_area_0_max_y"), tank::FishAreas[0].max[1]);
    EXPECT_FLOAT_EQ(config->GetValueAsFloat("g_fish_area_1_min_z"), tank::FishAreas[1].min[2]);
    // Lines of the configuration file apply as the names register.
    EXPECT_FLOAT_EQ(config->GetValueAsFloat("g_fish_area_1_max_z"), 3.25f);
    EXPECT_FLOAT_EQ(variables.GetAreaValue(1, 5), 3.25f);
    EXPECT_FLOAT_EQ(config->GetValueAsFloat("g_star_fish_x"), -4.5f);
    EXPECT_FLOAT_EQ(config->GetValueAsFloat("g_star_fish_y"), tank::StarFishY);
    EXPECT_NEAR(config->GetValueAsFloat("g_star_fish_z"), tank::GetStarFishZ(), 1e-4f);
    // A reset brings the layout back.
    config->Reset();
    EXPECT_FLOAT_EQ(variables.GetStarFish(0), tank::StarFishX);
}

// --- the plug-in library as the program loads it ------------------------------------------

TEST_F(TankTest, CameraDriftsGentlyOnlyWhenTheSettingAsks)
{
    CVector3 const home(0.0f, -18.0f, 2.0f);
    camera->SetPosition(home);
    CTankCameraDrift drift;
    CConfig::Owner const owner = engine.GetConfig()->CreateOwner();
    {
        CConfig::CRegistrationScope const scope(engine.GetConfig(), owner);
        drift.Create(engine.GetConfig(), camera);
    }
    drift.Refresh(5.0f);
    EXPECT_EQ((camera->GetPosition() - home).GetLength(), 0.0f);

    engine.GetConfig()->ExecuteCommand("g_camera_drift 0.5");
    float largest = 0.0f;
    for (int step = 0; step < 600; ++step) {
        drift.Refresh(0.1f);
        CVector3 const offset = camera->GetPosition() - home;
        EXPECT_EQ(offset.y, 0.0f);
        largest = std::max(largest, offset.GetLength());
    }
    EXPECT_GT(largest, 0.3f);
    EXPECT_LE(largest, 0.5f * 1.07f);

    engine.GetConfig()->ExecuteCommand("g_camera_drift 0");
    drift.Refresh(0.1f);
    EXPECT_EQ((camera->GetPosition() - home).GetLength(), 0.0f);
    drift.Destroy();
    engine.GetConfig()->RemoveEntriesOf(owner);
}

class TankPluginTest : public TankTest
{
protected:
    void SetUp() override
    {
        TankTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        std::string const path = std::string(CORALUME_STAGE_DIR) + "/Plugins/Tank.so";
        if (!fs::exists(path))
            GTEST_SKIP() << "plug-in not built: " << path;
        library = platform::LoadDynamicLibrary(path.c_str());
        ASSERT_NE(library, nullptr) << platform::GetLastLibraryErrorText();
        auto create = reinterpret_cast<CLagoonix* (*)()>(
            platform::FindLibraryExport(library, "?CreateObject@@YAPAVCLagoonix@@XZ"));
        destroyObject = reinterpret_cast<void (*)(CLagoonix*)>(
            platform::FindLibraryExport(library, "?DestroyObject@@YAXPAVCLagoonix@@@Z"));
        priority = reinterpret_cast<int (*)()>(
            platform::FindLibraryExport(library, "?GetAquariumPluginPriority@@YAHXZ"));
        ASSERT_NE(create, nullptr);
        ASSERT_NE(destroyObject, nullptr);
        ASSERT_NE(priority, nullptr);
        ASSERT_NE(platform::FindLibraryExport(library, "?GetAquariumPluginType@@YAHXZ"), nullptr);
        plugin = create();
        ASSERT_NE(plugin, nullptr);
    }

    void TearDown() override
    {
        if (plugin)
            destroyObject(plugin);
        plugin = nullptr;
        if (library)
            platform::FreeDynamicLibrary(library);
        TankTest::TearDown();
    }

    platform::HMODULE library = nullptr;
    void (*destroyObject)(CLagoonix*) = nullptr;
    int (*priority)() = nullptr;
    CLagoonix* plugin = nullptr;
};

TEST_F(TankPluginTest, ComesBeforeTheOtherPlugInsAndPublishesTheLayout)
{
    // Plankton 600, starfish 500 and fish 0 read what the tank registers.
    EXPECT_EQ(priority(), 700);
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fish_areas_count"), "");
    plugin->Create(&engine, camera);
    EXPECT_TRUE(Logged("+Plugin: Tank"));
    EXPECT_EQ(engine.GetConfig()->GetValueAsInt("g_fish_areas_count"),
              static_cast<int>(tank::FishAreasCount));
    EXPECT_NEAR(engine.GetConfig()->GetValueAsFloat("g_star_fish_z"), tank::GetStarFishZ(), 1e-4f);
    // The decor fish keep out of: every rock, then the starfish lying on the sand.
    int const obstacles = engine.GetConfig()->GetValueAsInt("g_fish_obstacles_count");
    EXPECT_EQ(obstacles, static_cast<int>(std::size(tank::Rocks)) + 1);
    std::string const star = "g_fish_obstacle_" + std::to_string(obstacles - 1);
    EXPECT_NEAR(engine.GetConfig()->GetValueAsFloat((star + "_min_z").c_str()), tank::GetStarFishZ(), 1e-3f);
    EXPECT_NEAR(engine.GetConfig()->GetValueAsFloat((star + "_max_x").c_str()),
                tank::StarFishX + tank::StarFishReach, 1e-3f);
    EXPECT_GT(engine.GetConfig()->GetValueAsFloat("g_fish_obstacle_0_max_z"), tank::FloorBaseHeight);
    for (int frame = 0; frame < 3; ++frame) {
        engine.BeginFrame();
        plugin->Refresh();
        engine.FinishFrame();
    }
    plugin->Destroy();
    EXPECT_TRUE(Logged("-Plugin: Tank"));
    EXPECT_EQ(engine.GetParticleSystemManager()->GetOccupiedParticleSystemsIndicesCount(), 0u);
}

} // namespace
