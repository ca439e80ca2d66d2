#include "DeviceFixture.h"

#include "render/Texture2D.h"
#include "render/TextureManager.h"

namespace
{
std::vector<std::uint8_t> LevelData(CTexture2D const* texture, unsigned int level)
{
    return static_cast<FakeDirect3DTexture8*>(texture->GetTextureD3D())->GetLevelData(level);
}
} // namespace

class TextureManagerTest : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        textures.Create(&messages, &memory, &files, &config, &direct3D);
    }
    void DestroyUsers() override { textures.Destroy(); }

    CTextureManager textures;
};

TEST(TextureKeyTest, KeysNameTheSourcesAndOptions)
{
    EXPECT_EQ(CTextureManager::GetTexturePath("wall.tga"), "data\\textures\\wall.tga");
    EXPECT_EQ(CTextureManager::GetTexturePath("data\\textures\\fish\\a.jpg"), "data\\textures\\fish\\a.jpg");
    // Paths match without regard to case, so the folder is not put in front twice.
    EXPECT_EQ(CTextureManager::GetTexturePath("Data\\Textures\\font\\font.tga"),
              "Data\\Textures\\font\\font.tga");
    EXPECT_EQ(CTextureManager::MakeKey(0, "a.tga", "b.tga"), "diffuse_a.tga");
    EXPECT_EQ(CTextureManager::MakeKey(1, "a.tga", "b.tga"), "diffuse_a.tga_plus_opacity_b.tga");
    EXPECT_EQ(CTextureManager::MakeKey(3, "a.tga", "b.tga"),
              "diffuse_a.tga_plus_opacity_b.tga_with_mip_mapping");
    EXPECT_EQ(CTextureManager::MakeKey(2, "a.tga", "b.tga"), "diffuse_a.tga_with_mip_mapping");
}

TEST_F(TextureManagerTest, SameRequestSharesOneTextureWithUsers)
{
    CImage image = MakeFilledImage(4, 4, 24, {9, 8, 7});
    SaveTexture("wall.tga", image);

    unsigned int const first = textures.AddTexture2D(0, "wall.tga", "");
    unsigned int const second = textures.AddTexture2D(0, "data\\textures\\wall.tga", "ignored");
    unsigned int const mipMapped = textures.AddTexture2D(2, "wall.tga", "");
    EXPECT_EQ(first, second);
    EXPECT_NE(first, mipMapped);
    EXPECT_EQ(textures.GetOccupiedTextures2DIndicesCount(), 2u);
    EXPECT_EQ(textures.GetTexture2D(first)->GetName(), "diffuse_data\\textures\\wall.tga");
    EXPECT_EQ(textures.GetTexture2D(mipMapped)->GetName(),
              "diffuse_data\\textures\\wall.tga_with_mip_mapping");
    EXPECT_EQ(textures.GetTexture2D(first)->GetUsersCount(), 2u);
    EXPECT_EQ(fake.CountCalls("CreateTexture("), 2u);
    EXPECT_EQ(textures.GetUsedMemorySize(), 3u * 16 + 3u * (16 + 4 + 1));
    EXPECT_EQ(CountMessages(MT_WARNING), 0u);

    textures.RemoveTexture2D(first);
    ASSERT_NE(textures.GetTexture2D(first), nullptr);
    EXPECT_EQ(textures.GetTexture2D(first)->GetUsersCount(), 1u);
    textures.RemoveTexture2D(first);
    EXPECT_EQ(textures.GetTexture2D(first), nullptr);
    EXPECT_EQ(textures.GetOccupiedTextures2DIndicesCount(), 1u);
    EXPECT_EQ(textures.GetOccupiedTexture2DIndex(0), mipMapped);
    EXPECT_EQ(textures.GetUsedMemorySize(), 3u * (16 + 4 + 1));
    // Removing an index that holds nothing changes nothing.
    textures.RemoveTexture2D(first);
    textures.RemoveTexture2D(77);
    EXPECT_EQ(textures.GetOccupiedTextures2DIndicesCount(), 1u);
}

TEST_F(TextureManagerTest, MostRecentlyFreedIndexIsReusedFirst)
{
    CImage image = MakeFilledImage(2, 2, 24, {1, 2, 3});
    unsigned int const a = textures.AddTexture2D(0, "a", image);
    unsigned int const b = textures.AddTexture2D(0, "b", image);
    unsigned int const c = textures.AddTexture2D(0, "c", image);
    EXPECT_EQ(textures.AddTexture2D(0, "b", image), b);
    textures.RemoveTexture2D(b);
    textures.RemoveTexture2D(a);
    textures.RemoveTexture2D(b);
    EXPECT_EQ(textures.AddTexture2D(0, "d", image), b);
    EXPECT_EQ(textures.AddTexture2D(0, "e", image), a);
    EXPECT_EQ(textures.AddTexture2D(0, "f", image), c + 1);
}

TEST_F(TextureManagerTest, MissingImageGivesAnErrorAndAnEmptyTexture)
{
    unsigned int const index = textures.AddTexture2D(0, "missing.tga", "");
    EXPECT_TRUE(HasMessage(MT_ERROR));
    ASSERT_NE(textures.GetTexture2D(index), nullptr);
    EXPECT_EQ(textures.GetTexture2D(index)->GetTextureD3D(), nullptr);
    EXPECT_EQ(textures.GetUsedMemorySize(), 0u);
    EXPECT_EQ(textures.AddTexture2D(0, "missing.tga", ""), index);
}

class SmallDeviceTextureManagerTest : public TextureManagerTest
{
protected:
    void ConfigureFake(FakeDirect3D8::SAdapter& adapter) override
    {
        adapter.hal.caps.MaxTextureWidth = 64;
        adapter.hal.caps.MaxTextureHeight = 32;
    }
};

TEST_F(SmallDeviceTextureManagerTest, PictureLargerThanTheDeviceTakesIsRefused)
{
    CImage fits = MakeFilledImage(64, 32, 24, {1, 2, 3});
    CImage wide = MakeFilledImage(65, 8, 24, {1, 2, 3});
    SaveTexture("fits.tga", fits);
    SaveTexture("wide.tga", wide);
    EXPECT_NE(textures.GetTexture2D(textures.AddTexture2D(0, "fits.tga", ""))->GetTextureD3D(), nullptr);
    EXPECT_FALSE(HasMessage(MT_ERROR));
    unsigned int const index = textures.AddTexture2D(0, "wide.tga", "");
    EXPECT_TRUE(HasMessage(MT_WARNING, "of 65 x 8 is larger than the largest texture, 64 x 32"));
    EXPECT_TRUE(HasMessage(MT_ERROR, "Incorrect data\\textures\\wide.tga file format"));
    EXPECT_EQ(textures.GetTexture2D(index)->GetTextureD3D(), nullptr);
}

TEST_F(TextureManagerTest, ImageThatIsNotAPowerOfTwoIsWarnedAboutAndResized)
{
    CImage image = MakeFilledImage(3, 4, 24, {1, 2, 3});
    SaveTexture("odd.tga", image);
    unsigned int const index = textures.AddTexture2D(0, "odd.tga", "");
    EXPECT_TRUE(HasMessage(MT_WARNING,
                           "Texture Manager: \"data\\textures\\odd.tga\" image size should be power of two"));
    D3DSURFACE_DESC description = {};
    textures.GetTexture2D(index)->GetTextureD3D()->GetLevelDesc(0, &description);
    EXPECT_EQ(description.Width, 4u);
}

TEST_F(TextureManagerTest, OpacityMapBecomesTheAlphaChannel)
{
    CImage colour = MakeImage(2, 1, 24, {255, 0, 0, 0, 0, 255});
    CImage opacity = MakeImage(2, 1, 8, {10, 250});
    SaveTexture("fish.tga", colour);
    SaveTexture("fish_alpha.tga", opacity);

    unsigned int const index = textures.AddTexture2D(1, "fish.tga", "fish_alpha.tga");
    EXPECT_EQ(CountMessages(MT_WARNING), 0u);
    CTexture2D const* texture = textures.GetTexture2D(index);
    EXPECT_EQ(texture->GetName(),
              "diffuse_data\\textures\\fish.tga_plus_opacity_data\\textures\\fish_alpha.tga");
    EXPECT_EQ(LevelData(texture, 0), (std::vector<std::uint8_t>{0, 0, 255, 10, 255, 0, 0, 250}));
}

TEST_F(TextureManagerTest, OpacityNamedLikeTheImageIsItsGreyValue)
{
    CImage colour = MakeImage(2, 1, 24, {100, 200, 50, 0, 0, 0});
    SaveTexture("plankton.tga", colour);
    unsigned int const index = textures.AddTexture2D(1, "plankton.tga", "plankton.tga");
    EXPECT_EQ(CountMessages(MT_WARNING), 0u);
    // 0.222 * 100 + 0.707 * 200 + 0.071 * 50 = 167.15
    EXPECT_EQ(LevelData(textures.GetTexture2D(index), 0),
              (std::vector<std::uint8_t>{50, 200, 100, 167, 0, 0, 0, 0}));
}

TEST_F(TextureManagerTest, BadOpacitySourcesAreWarnedAboutAndStillUsed)
{
    CImage colour = MakeFilledImage(4, 4, 32, {1, 2, 3, 4});
    CImage opacity = MakeFilledImage(3, 2, 24, {60, 60, 60});
    SaveTexture("colour.tga", colour);
    SaveTexture("opacity.tga", opacity);
    unsigned int const index = textures.AddTexture2D(1, "colour.tga", "opacity.tga");
    EXPECT_TRUE(HasMessage(MT_WARNING, "\"data\\textures\\colour.tga\" image color depth should be 24 bit"));
    EXPECT_TRUE(HasMessage(MT_WARNING, "\"data\\textures\\opacity.tga\" image size should be power of two"));
    EXPECT_TRUE(HasMessage(
        MT_WARNING,
        "\"data\\textures\\opacity.tga\" image size should be the same as \"data\\textures\\colour.tga\""));
    EXPECT_TRUE(HasMessage(MT_WARNING, "\"data\\textures\\opacity.tga\" image color depth should be 8 bit"));
    EXPECT_EQ(CountMessages(MT_WARNING), 4u);
    std::vector<std::uint8_t> const data = LevelData(textures.GetTexture2D(index), 0);
    EXPECT_NEAR(data[3], 60, 1);
    EXPECT_EQ(data[2], 1);

    // A missing opacity image leaves the picture without it.
    unsigned int const without = textures.AddTexture2D(1, "colour.tga", "nothing.tga");
    EXPECT_TRUE(HasMessage(MT_ERROR));
    EXPECT_EQ(LevelData(textures.GetTexture2D(without), 0)[3], 4);
}

TEST_F(TextureManagerTest, DestroyReleasesEveryTexture)
{
    CImage image = MakeFilledImage(2, 2, 24, {1, 2, 3});
    auto* deviceTexture = static_cast<FakeDirect3DTexture8*>(
        textures.GetTexture2D(textures.AddTexture2D(0, "a", image))->GetTextureD3D());
    deviceTexture->AddRef();
    textures.Destroy();
    EXPECT_TRUE(textures.IsFree());
    EXPECT_EQ(deviceTexture->GetReferences(), 1u);
    deviceTexture->Release();
}
