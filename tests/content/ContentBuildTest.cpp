#include "ByteReader.h"
#include "GeneratedContent.h"
#include "ModelReader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

namespace fs = std::filesystem;

namespace
{

class ContentBuild : public ::testing::Test
{
protected:
    static CGeneratedContent const& Content() { return CGeneratedContent::Get(); }
    static std::vector<std::uint8_t> const& File(std::string const& path) { return Content().File(path); }
    static bool Has(std::string const& path) { return Content().Has(path); }
};

} // namespace

TEST_F(ContentBuild, TwoRunsWriteTheSameBytes)
{
    ASSERT_EQ(Content().GetResults(), (std::vector<int>{0, 0}));
    auto const& first = Content().GetFirstTree();
    auto const& second = Content().GetSecondTree();
    ASSERT_GT(first.size(), 50u);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(first.count("Data/coralume.pak"), 1u);
    for (auto const& [path, bytes] : first) {
        auto const other = second.find(path);
        ASSERT_NE(other, second.end()) << path;
        EXPECT_TRUE(other->second == bytes) << path << " differs between runs";
    }
}

TEST_F(ContentBuild, EveryFileTheProgramAndPluginsLoadIsPresent)
{
    for (char const* path :
         {"Data/Textures/preview.jpg", "Data/Textures/loading.jpg", "Data/Textures/Console/console.jpg",
          "Data/Textures/font/font.tga", "Data/Textures/font/font.fnt", "Data/Textures/plankton.jpg",
          "Data/Sounds/edit.wav", "Data/Sounds/Menu/button_press.wav", "Data/Models/star.mlf",
          "Data/Models/star.srf", "Data/Models/star.otf", "Data/Models/star_shadow.mlf",
          "Data/Models/star_shadow.srf", "Data/Models/star_shadow.otf", "Data/fishes.dat",
          "Plugins/StarFish.dat", "Plugins/Shoalmind.dat", "Plugins/Plankton.dat", "Data/Coralume.ini"}) {
        EXPECT_TRUE(Has(path)) << path;
    }
    bool ogg = false;
    for (auto const& [path, bytes] : Content().GetFirstTree()) {
        ogg = ogg || (path.size() > 4 && path.substr(path.size() - 4) == ".ogg" && bytes.size() > 100);
        EXPECT_FALSE(bytes.empty()) << path;
    }
    EXPECT_TRUE(ogg);
}

TEST_F(ContentBuild, FishPacksNameModelsAndTexturesThatExist)
{
    std::vector<std::string> packs;
    for (auto const& [path, bytes] : Content().GetFirstTree()) {
        if (path.rfind("Data/FishPacks/", 0) == 0 && path.size() > 4 &&
            path.substr(path.size() - 4) == ".fsp") {
            packs.push_back(path.substr(15, path.size() - 19));
        }
    }
    ASSERT_FALSE(packs.empty());
    std::set<std::string> species;
    for (std::string const& pack : packs) {
        CTestByteReader in(File("Data/FishPacks/" + pack + ".fsp"));
        EXPECT_FALSE(in.BinaryString().empty());
        std::int32_t const count = in.I32();
        ASSERT_GT(count, 0);
        for (std::int32_t i = 0; i < count; ++i) {
            std::vector<std::uint8_t> const& fish =
                File("Data/FishPacks/" + pack + "/Fish " + std::to_string(i) + "/fish.dat");
            ASSERT_EQ(fish.size(), 352u) << pack << " " << i;
            std::string const model(reinterpret_cast<char const*>(fish.data()));
            ASSERT_EQ(model.rfind("fish", 0), 0u);
            species.insert(model);
            int const texture = std::atoi(model.c_str() + 4);
            CTestByteReader record(fish, 256);
            std::int32_t const variant = record.I32();
            EXPECT_GT(record.F32(), 0.0f); // size divisor
            std::string const stem = model.substr(0, model.size() - 4);
            EXPECT_TRUE(Has("Data/Models/" + model)) << model;
            EXPECT_TRUE(Has("Data/Models/" + stem + ".srf"));
            EXPECT_TRUE(Has("Data/Models/" + stem + ".otf"));
            EXPECT_TRUE(
                Has("Data/Textures/fish" + std::to_string(texture) + "_" + std::to_string(variant) + ".jpg"));
            EXPECT_TRUE(Has("Data/Textures/fish_alfa_" + std::to_string(texture) + "_" +
                            std::to_string(variant) + ".jpg"));
        }
    }
    EXPECT_GE(species.size(), 6u);
    // The selection was written for the packs installed, so their enabled bytes apply.
    CTestByteReader selection(File("Data/fishes.dat"), 81);
    EXPECT_EQ(selection.I32(), static_cast<std::int32_t>(packs.size()));
}

TEST_F(ContentBuild, FishModelsCarryBodyAndFinShaders)
{
    for (int number = 1; number <= 6; ++number) {
        std::string const stem = "Data/Models/fish" + std::to_string(number);
        SReadModel const model = ReadModel(File(stem + ".mlf"));
        ASSERT_EQ(model.bones.size(), 5u);
        ASSERT_EQ(model.sets.size(), 4u);
        CTestByteReader shader(File(stem + ".srf"));
        EXPECT_EQ(shader.Header("TWSRF"), 203u);
        ASSERT_EQ(shader.U32(), 2u);
        shader.U32();
        shader.Seek(shader.U32());
        EXPECT_EQ(shader.U32() & 1u, 1u); // the fin set's shader blends
        CTestByteReader octree(File(stem + ".otf"));
        EXPECT_EQ(octree.Header("TWOTF"), 100u);
        EXPECT_EQ(octree.U32(), 1u);
    }
    SReadModel const star = ReadModel(File("Data/Models/star.mlf"));
    EXPECT_EQ(star.flags & 0x7, 0x2u);
    EXPECT_EQ(star.vertexCount % star.frames, 0u);
}

TEST_F(ContentBuild, StarfishDescriptorHoldsTheAnimationSpeed)
{
    CTestByteReader in(File("Plugins/StarFish.dat"));
    in.U8();
    EXPECT_NE(in.U8(), 0u);
    EXPECT_EQ(in.BinaryString(), "StarFish Plugin v1.0");
    in.BinaryString();
    float const speed = in.F32();
    EXPECT_GT(speed, 0.0f);
    EXPECT_LT(speed, 20.0f);
    EXPECT_TRUE(in.AtEnd());
}

TEST_F(ContentBuild, ConfigurationLinesNameTheFishAreasAndStarfish)
{
    std::vector<std::uint8_t> const& bytes = File("Data/Coralume.ini");
    std::string const text(bytes.begin(), bytes.end());
    EXPECT_NE(text.find("g_fish_areas_count 2\n"), std::string::npos);
    EXPECT_NE(text.find("g_fish_area_1_max_z "), std::string::npos);
    EXPECT_NE(text.find("g_star_fish_z "), std::string::npos);
}

TEST_F(ContentBuild, TheBuildTreeInstallationHoldsTheSameData)
{
    fs::path const stage(CORALUME_STAGE_DIR);
    if (!fs::exists(stage / "Data" / "fishes.dat")) {
        GTEST_SKIP() << "the build has not generated " << stage.string();
    }
    for (auto const& [path, bytes] : Content().GetFirstTree()) {
        if (path != "Data/coralume.pak") {
            EXPECT_TRUE(CGeneratedContent::ReadFile(stage / path) == bytes) << path;
        }
    }
}
