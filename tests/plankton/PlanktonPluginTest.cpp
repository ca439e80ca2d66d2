#include "sprites/SpriteFixture.h"

#include <cstring>

#include "../../plugins/base/Lagoonix.h"
#include "model/Model.h"
#include "platform/os/DynamicLibrary.h"
#include "render/TriangleSet.h"

namespace
{
// The plug-in library as the program loads it, on an engine with the scripted device.
class PlanktonPluginTest : public SpriteFixture
{
protected:
    void SetUp() override
    {
        SpriteFixture::SetUp();
        std::string const path = std::string(CORALUME_STAGE_DIR) + "/Plugins/Plankton.so";
        if (!std::filesystem::exists(path))
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
        plugin = create();
        ASSERT_NE(plugin, nullptr);
    }

    void TearDown() override
    {
        if (plugin)
            destroyObject(plugin);
        if (library)
            platform::FreeDynamicLibrary(library);
        SpriteFixture::TearDown();
    }

    bool Logged(char const* text)
    {
        CMessageManager* messages = engine.GetMessageManager();
        for (unsigned int i = 0; i < messages->GetMessagesCount(); ++i) {
            if (std::strstr(messages->GetMessageText(i), text))
                return true;
        }
        return false;
    }

    platform::HMODULE library = nullptr;
    void (*destroyObject)(CLagoonix*) = nullptr;
    int (*priority)() = nullptr;
    CLagoonix* plugin = nullptr;
};

TEST_F(PlanktonPluginTest, CreateFillsOneTransparentGroupOfSpecks)
{
    EXPECT_EQ(priority(), 600);
    plugin->Create(&engine, camera);
    EXPECT_TRUE(Logged("+Plugin: Plankton"));
    ASSERT_EQ(Groups()->GetOccupiedSpriteGroupsIndicesCount(), 1u);
    CSpriteGroup* group = Groups()->GetSpriteGroup(Groups()->GetOccupiedSpriteGroupIndex(0));
    EXPECT_EQ(group->GetCapacity(), 375u);
    EXPECT_EQ(group->GetUsedCount(), 375u);
    CModel* model = group->GetModel();
    EXPECT_TRUE(model->GetProperties() & MP_TRANSPARENT);
    EXPECT_TRUE(model->GetProperties() & MP_FIXED_DEPTH);
    EXPECT_EQ(model->GetDepthValue(), -1.0f);
    CShaderDescriptor const* shader = group->GetShaderDescriptor();
    ASSERT_NE(shader, nullptr);
    EXPECT_EQ(shader->GetBlendingFactor(0), SBF_SRC_ALPHA);
    EXPECT_EQ(shader->GetBlendingFactor(1), SBF_INV_SRC_ALPHA);
    ASSERT_EQ(shader->GetStagesCount(), 1u);
    EXPECT_STREQ(shader->GetStage(0)->imageName, "plankton.jpg");
    EXPECT_STREQ(shader->GetStage(0)->opacityName, "plankton.jpg");

    plugin->Destroy();
    EXPECT_TRUE(Logged("-Plugin: Plankton"));
    EXPECT_EQ(Groups()->GetOccupiedSpriteGroupsIndicesCount(), 0u);
}

TEST_F(PlanktonPluginTest, RefreshReadsThePublishedFish)
{
    int count = 0;
    float x = 0, y = 0, z = 0;
    CConfig* config = engine.GetConfig();
    plugin->Create(&engine, camera);
    CSpriteGroup* group = Groups()->GetSpriteGroup(Groups()->GetOccupiedSpriteGroupIndex(0));
    // A speck beside where the fish will be.
    SSprite* speck = group->GetSprite(374);
    speck->position = {0.5f, 0.0f, 0.0f};
    config->CreateCommand("g_fishes_count", CCT_INT, true, false, &count, "1");
    config->CreateCommand("g_fish_0_position_x", CCT_FLOAT, true, false, &x, "0");
    config->CreateCommand("g_fish_0_position_y", CCT_FLOAT, true, false, &y, "0");
    config->CreateCommand("g_fish_0_position_z", CCT_FLOAT, true, false, &z, "0");
    // Frames of real time pass until the timers report some.
    for (int frame = 0; frame < 200 && speck->position.x <= 0.5f; ++frame) {
        engine.BeginFrame();
        plugin->Refresh();
        engine.FinishFrame();
    }
    EXPECT_GT(speck->position.x, 0.5f);
    EXPECT_NEAR(speck->position.y, 0.0f, 1e-3f);
    plugin->Destroy();
}
} // namespace
