#include "FishFixture.h"

#include <dlfcn.h>

#include "Lagoonix.h"

namespace
{
// The built plug-in library, loaded the way the program loads it.
class ShoalmindPluginTest : public FishFixture
{
protected:
    void SetUp() override
    {
        FishFixture::SetUp();
        library = dlopen(CORALUME_STAGE_DIR "/Plugins/Shoalmind.so", RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library, nullptr) << dlerror();
    }
    void TearDown() override
    {
        if (library)
            dlclose(library);
        FishFixture::TearDown();
    }
    template <typename Function> Function Find(char const* name)
    {
        return reinterpret_cast<Function>(dlsym(library, name));
    }

    void* library = nullptr;
};

TEST_F(ShoalmindPluginTest, ExportsItsValuesAndRunsTheSchool)
{
    auto priority = Find<int (*)()>("?GetAquariumPluginPriority$$YAHXZ");
    auto type = Find<int (*)()>("?GetAquariumPluginType$$YAHXZ");
    auto version = Find<int (*)()>("?GetPluginVersion$$YAHXZ");
    auto shortText = Find<void (*)(char*)>("?GetShortDesription$$YAXPAD$Z");
    auto longText = Find<void (*)(char*)>("?GetLongDesription$$YAXPAD$Z");
    auto create = Find<CLagoonix* (*)()>("?CreateObject$$YAPAVCLagoonix$$XZ");
    auto destroy = Find<void (*)(CLagoonix*)>("?DestroyObject$$YAXPAVCLagoonix$$$Z");
    ASSERT_TRUE(priority && type && version && shortText && longText && create && destroy);
    EXPECT_EQ(priority(), 0);
    EXPECT_EQ(type(), 2);
    EXPECT_EQ(version(), 100);
    char text[64] = {};
    shortText(text);
    EXPECT_STREQ(text, "Shoalmind Plugin v1.0");
    longText(text);
    EXPECT_STREQ(text, "Shoalmind Plugin v1.0");

    destroy(nullptr);
    unsigned int const modelsBefore = engine.GetModelManager()->GetOccupiedModelsIndicesCount();
    CLagoonix* plugin = create();
    ASSERT_NE(plugin, nullptr);
    plugin->Create(&engine, camera);
    EXPECT_TRUE(HasMessage(MT_MESSAGE, "+Plugin: Shoalmind"));
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fishes_count"), "10");
    EXPECT_EQ(engine.GetModelManager()->GetOccupiedModelsIndicesCount(), modelsBefore + 10);
    for (int frame = 0; frame < 5; ++frame)
        plugin->Refresh();
    plugin->Destroy();
    EXPECT_TRUE(HasMessage(MT_MESSAGE, "-Plugin: Shoalmind"));
    EXPECT_STREQ(engine.GetConfig()->GetValue("g_fishes_count"), "0");
    // Every fish model goes with the school.
    EXPECT_EQ(engine.GetModelManager()->GetOccupiedModelsIndicesCount(), modelsBefore);
    destroy(plugin);
}
} // namespace
