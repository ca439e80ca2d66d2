#include "GeneratedContent.h"

#include "core/File.h"
#include "core/FileManager.h"
#include "core/MemoryManager.h"
#include "core/MessageManager.h"
#include "core/PackFile.h"
#include "gui/GUIFont.h"
#include "gui/GUIFontFile.h"
#include "model/ModelFile.h"
#include "model/ParticleSystemFile.h"
#include "render/Image.h"
#include "render/Octree.h"
#include "render/ShaderDescriptor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace
{

bool IsPowerOfTwo(unsigned int value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

// The engine's file layer over the generated installation.
class GeneratedContentThroughEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(CGeneratedContent::Get().GetResults(), (std::vector<int>{0, 0}));
        messages.Create("content", false, nullptr);
        memory.Create(&messages);
        files.Create(&messages, &memory, CGeneratedContent::Get().GetFirst().c_str(), nullptr);
    }
    void TearDown() override
    {
        files.Destroy();
        memory.Destroy();
        messages.Destroy();
    }

    static std::string EnginePath(std::string path)
    {
        std::replace(path.begin(), path.end(), '/', '\\');
        return path;
    }

    CMessageManager messages;
    CMemoryManager memory;
    CFileManager files;
};

} // namespace

TEST_F(GeneratedContentThroughEngine, EveryPictureLoadsAsATexture)
{
    int pictures = 0;
    for (auto const& [path, bytes] : CGeneratedContent::Get().GetFirstTree()) {
        bool const jpeg = path.size() > 4 && path.substr(path.size() - 4) == ".jpg";
        bool const tga = path.size() > 4 && path.substr(path.size() - 4) == ".tga";
        if (!jpeg && !tga) {
            continue;
        }
        ++pictures;
        CImage image;
        ASSERT_TRUE(image.LoadFromFile(&messages, &memory, &files, EnginePath(path).c_str())) << path;
        EXPECT_TRUE(IsPowerOfTwo(image.GetWidth()) && IsPowerOfTwo(image.GetHeight())) << path;
        bool const opacity = path.find("_alfa") != std::string::npos;
        EXPECT_EQ(image.GetBPP(), opacity ? 8u : tga ? 32u : 24u) << path;
    }
    EXPECT_GT(pictures, 30);
}

TEST_F(GeneratedContentThroughEngine, OpacityMapsMatchTheirTextures)
{
    CImage shadow, shadowOpacity;
    ASSERT_TRUE(shadow.LoadFromFile(&messages, &memory, &files, "Data\\Textures\\star_shadow.jpg"));
    ASSERT_TRUE(
        shadowOpacity.LoadFromFile(&messages, &memory, &files, "Data\\Textures\\star_shadow_alfa.jpg"));
    EXPECT_EQ(shadow.GetWidth(), shadowOpacity.GetWidth());
    EXPECT_EQ(shadow.GetHeight(), shadowOpacity.GetHeight());
    for (int fish = 1; fish <= 6; ++fish) {
        for (int variant = 1; variant <= 2; ++variant) {
            std::string const suffix = std::to_string(fish) + "_" + std::to_string(variant) + ".jpg";
            CImage colour, opacity;
            ASSERT_TRUE(
                colour.LoadFromFile(&messages, &memory, &files, ("Data\\Textures\\fish" + suffix).c_str()));
            ASSERT_TRUE(opacity.LoadFromFile(&messages, &memory, &files,
                                             ("Data\\Textures\\fish_alfa_" + suffix).c_str()));
            EXPECT_EQ(colour.GetWidth(), opacity.GetWidth());
            EXPECT_EQ(colour.GetHeight(), opacity.GetHeight());
        }
    }
}

TEST_F(GeneratedContentThroughEngine, FontAtlasIsWhiteWithCoverageInAlpha)
{
    CImage font;
    ASSERT_TRUE(font.LoadFromFile(&messages, &memory, &files, "Data\\Textures\\font\\font.tga"));
    ASSERT_EQ(font.GetBPP(), 32u);
    unsigned int covered = 0;
    for (unsigned int y = 0; y < font.GetHeight(); ++y) {
        for (unsigned int x = 0; x < font.GetWidth(); ++x) {
            unsigned char r, g, b, a;
            font.GetPixel(x, y, &r, &g, &b, &a);
            ASSERT_EQ(r, 255);
            covered += a > 128 ? 1 : 0;
        }
    }
    EXPECT_GT(covered, 2000u);
}

TEST_F(GeneratedContentThroughEngine, PackHoldsTheDataFolder)
{
    CPackFile pack;
    std::string const path = (CGeneratedContent::Get().GetFirst() / "Data" / "coralume.pak").string();
    ASSERT_TRUE(pack.Load(&messages, &memory, path.c_str()));
    unsigned int members = 0;
    for (auto const& [name, bytes] : CGeneratedContent::Get().GetFirstTree()) {
        if (name.rfind("Data/", 0) != 0 || name == "Data/coralume.pak") {
            continue;
        }
        ++members;
        unsigned int size = 0;
        ASSERT_TRUE(pack.GetFileSize(EnginePath(name).c_str(), &size)) << name;
        ASSERT_EQ(size, bytes.size()) << name;
        std::vector<std::uint8_t> data(size);
        ASSERT_TRUE(pack.GetFileData(EnginePath(name).c_str(), data.data()));
        EXPECT_TRUE(data == bytes) << name;
    }
    EXPECT_EQ(pack.GetFilesCount(), members);
}

TEST_F(GeneratedContentThroughEngine, EveryModelReadsThroughTheEngineModelReader)
{
    int models = 0;
    for (auto const& [path, bytes] : CGeneratedContent::Get().GetFirstTree()) {
        if (path.size() < 4 || path.substr(path.size() - 4) != ".mlf") {
            continue;
        }
        ++models;
        CFile file;
        files.OpenFile(&file, EnginePath(path), 2);
        SModelFile model;
        ASSERT_EQ(ReadModelFile(file, &model), EModelFileResult::Ok) << path;
        file.Close();
        ASSERT_FALSE(model.triangleSets.empty()) << path;
        if (path.find("/fish") != std::string::npos) {
            EXPECT_TRUE(model.IsSkeletal()) << path;
            ASSERT_EQ(model.bones.size(), 5u);
            EXPECT_EQ(model.bones[0].name, "Bone01");
            EXPECT_EQ(model.bones[4].name, "Bone05");
            ASSERT_EQ(model.triangleSets.size(), 4u); // body and fins, close up and from afar
            EXPECT_EQ(model.triangleSets[1].shaderNumber, 1u);
            EXPECT_EQ(model.triangleSets[3].material, "fins:far");
        } else if (path == "Data/Models/star.mlf") {
            EXPECT_TRUE(model.IsMorph());
            EXPECT_GT(model.framesCount, 1u);
        }
    }
    // Six fish, the starfish and its shadow, and the tank's backdrop, sand, three rocks and two plants.
    EXPECT_EQ(models, 15);
}

TEST_F(GeneratedContentThroughEngine, ShadersOctreesAndFontReadThroughTheEngine)
{
    for (std::string const stem :
         {"fish1", "fish2", "fish3", "fish4", "fish5", "fish6", "star", "star_shadow"}) {
        std::string const base = "Data\\Models\\" + stem;
        COctree octree;
        ASSERT_TRUE(octree.Create(&messages, &memory, &files, (base + ".otf").c_str())) << stem;
        EXPECT_EQ(octree.GetNodesCount(), 1u);
        unsigned int const descriptors = stem.rfind("fish", 0) == 0 ? 2u : 1u;
        for (unsigned int index = 0; index < descriptors; ++index) {
            CShaderDescriptor shader;
            ASSERT_TRUE(shader.Create(&messages, &memory, &files, nullptr, (base + ".srf").c_str(), index))
                << stem;
            ASSERT_EQ(shader.GetStagesCount(), 1u);
            SShaderDescriptorStage const* stage = shader.GetStage(0);
            bool const blended = stem == "star_shadow" || index == 1;
            // A fish's body samples its fins' texture (one texture per variant).
            bool const opacityMap = blended || stem.rfind("fish", 0) == 0;
            EXPECT_EQ(shader.GetProperties() & 1u, blended ? 1u : 0u) << stem;
            EXPECT_EQ(stage->flags & 2u, opacityMap ? 2u : 0u) << stem;
            EXPECT_TRUE(CGeneratedContent::Get().Has(std::string("Data/Textures/") + stage->imageName))
                << stem;
            if (opacityMap) {
                EXPECT_TRUE(CGeneratedContent::Get().Has(std::string("Data/Textures/") + stage->opacityName))
                    << stem;
            }
        }
    }
    CFile file;
    files.OpenFile(&file, "Data\\Textures\\font\\font.fnt", 2);
    std::map<unsigned char, SGUIGlyph> glyphs;
    ReadFontGlyphs(&messages, file, "Data\\Textures\\font\\font.fnt", &glyphs);
    EXPECT_EQ(glyphs.size(), 95u);
    EXPECT_EQ(glyphs.count('A'), 1u);
}

TEST_F(GeneratedContentThroughEngine, BubblesReadThroughTheEngineParticleSystemReader)
{
    CFile file;
    files.OpenFile(&file, "Data\\Particle Systems\\bubbles.psf", 2);
    ParticleSystemSettings settings;
    ASSERT_EQ(ParticleSystemFile::Read(file, &settings), EParticleSystemFileResult::Ok);
    EXPECT_FLOAT_EQ(settings.animationPeriod, 6.0f);
    EXPECT_GT(settings.emissionRate[0], 0.0f);
    EXPECT_FLOAT_EQ(settings.direction[3].z, 1.0f);
    EXPECT_FLOAT_EQ(settings.color[5].w, 0.0f); // bubbles fade out at the end of their life
}
