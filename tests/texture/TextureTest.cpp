#include "DeviceFixture.h"

#include "render/Texture2D.h"

namespace
{
std::vector<std::uint8_t> LevelData(CTexture2D const& texture, unsigned int level)
{
    return static_cast<FakeDirect3DTexture8*>(texture.GetTextureD3D())->GetLevelData(level);
}

D3DSURFACE_DESC LevelDescription(CTexture2D const& texture, unsigned int level)
{
    D3DSURFACE_DESC description = {};
    EXPECT_EQ(texture.GetTextureD3D()->GetLevelDesc(level, &description), D3D_OK);
    return description;
}
} // namespace

TEST(TextureSizeTest, NearestPowerOfTwoTiesGoUp)
{
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(300), 256u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(200), 256u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(384), 512u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(100), 128u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(3), 4u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(5), 4u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(1), 1u);
    EXPECT_EQ(CTexture2D::GetNearestPowerOfTwo(256), 256u);
    EXPECT_TRUE(CTexture2D::IsPowerOfTwo(65536));
    EXPECT_FALSE(CTexture2D::IsPowerOfTwo(0));
    EXPECT_FALSE(CTexture2D::IsPowerOfTwo(384));
}

using TextureTest = DeviceFixture;

TEST_F(TextureTest, SizesBecomeNearestPowersOfTwo)
{
    CTexture2D wide;
    wide.Create(&messages, &memory, &config, &direct3D, "a", MakeFilledImage(300, 200, 24, {1, 2, 3}), false);
    D3DSURFACE_DESC description = LevelDescription(wide, 0);
    EXPECT_EQ(description.Width, 256u);
    EXPECT_EQ(description.Height, 256u);
    EXPECT_EQ(description.Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(description.Pool, D3DPOOL_MANAGED);
    EXPECT_EQ(wide.GetUsedMemorySize(), 3u * 256 * 256);

    CTexture2D tall;
    tall.Create(&messages, &memory, &config, &direct3D, "b", MakeFilledImage(384, 100, 24, {1, 2, 3}), false);
    description = LevelDescription(tall, 0);
    EXPECT_EQ(description.Width, 512u);
    EXPECT_EQ(description.Height, 128u);
    EXPECT_EQ(tall.GetTextureD3D()->GetLevelCount(), 1u);
}

class SmallDeviceTextureTest : public TextureTest
{
protected:
    void ConfigureFake(FakeDirect3D8::SAdapter& adapter) override
    {
        adapter.hal.caps.MaxTextureWidth = 64;
        adapter.hal.caps.MaxTextureHeight = 32;
    }
};

TEST_F(SmallDeviceTextureTest, SizesAreLimitedByTheDevice)
{
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a", MakeFilledImage(300, 200, 24, {1, 2, 3}),
                   false);
    D3DSURFACE_DESC const description = LevelDescription(texture, 0);
    EXPECT_EQ(description.Width, 64u);
    EXPECT_EQ(description.Height, 32u);
}

TEST_F(TextureTest, PixelsAreCopiedAsBgraInStoredRowOrder)
{
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a",
                   MakeImage(2, 2, 24, {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120}), false);
    EXPECT_EQ(LevelData(texture, 0), (std::vector<std::uint8_t>{30, 20, 10, 255, 60, 50, 40, 255, 90, 80, 70,
                                                                255, 120, 110, 100, 255}));

    CTexture2D alpha;
    alpha.Create(&messages, &memory, &config, &direct3D, "b", MakeImage(1, 1, 32, {1, 2, 3, 4}), false);
    EXPECT_EQ(LevelDescription(alpha, 0).Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(LevelData(alpha, 0), (std::vector<std::uint8_t>{3, 2, 1, 4}));
    EXPECT_EQ(alpha.GetUsedMemorySize(), 4u);

    CTexture2D grey;
    grey.Create(&messages, &memory, &config, &direct3D, "c", MakeImage(1, 1, 8, {77}), false);
    EXPECT_EQ(LevelDescription(grey, 0).Format, D3DFMT_X8R8G8B8);
    EXPECT_EQ(LevelData(grey, 0), (std::vector<std::uint8_t>{77, 77, 77, 255}));
    EXPECT_EQ(grey.GetUsedMemorySize(), 3u);
}

TEST_F(TextureTest, MipChainAveragesBlocksDownToOnePixel)
{
    // One row of four pixels over another: stored rows 0 and 1.
    CImage image = MakeImage(
        4, 2, 24, {0, 0, 0, 100, 0, 0, 200, 0, 0, 40, 0, 0, 100, 0, 0, 200, 0, 0, 0, 0, 0, 41, 0, 0});
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a", image, true);
    ASSERT_EQ(texture.GetTextureD3D()->GetLevelCount(), 3u);
    EXPECT_EQ(LevelDescription(texture, 1).Width, 2u);
    EXPECT_EQ(LevelDescription(texture, 1).Height, 1u);
    // (0 + 100 + 100 + 200 + 2) / 4 = 100; (200 + 40 + 0 + 41 + 2) / 4 = 70.
    EXPECT_EQ(LevelData(texture, 1), (std::vector<std::uint8_t>{0, 0, 100, 255, 0, 0, 70, 255}));
    // (100 + 70 + 100 + 70 + 2) / 4 = 85: a single row is sampled twice.
    EXPECT_EQ(LevelData(texture, 2), (std::vector<std::uint8_t>{0, 0, 85, 255}));
    EXPECT_EQ(texture.GetUsedMemorySize(), 3u * (8 + 2 + 1));
}

TEST_F(TextureTest, ShownMipMapsAreRedBelowTheFirstLevel)
{
    settings->r_show_mip_maps = true;
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a", MakeFilledImage(4, 4, 32, {0, 255, 0, 128}),
                   true);
    ASSERT_EQ(texture.GetTextureD3D()->GetLevelCount(), 3u);
    for (unsigned int i = 0; i < 16; ++i) {
        ASSERT_EQ(LevelData(texture, 0)[i * 4 + 1], 255) << i;
        ASSERT_EQ(LevelData(texture, 0)[i * 4 + 3], 128) << i;
    }
    EXPECT_EQ(LevelData(texture, 1),
              (std::vector<std::uint8_t>{0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255}));
    EXPECT_EQ(LevelData(texture, 2), (std::vector<std::uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(texture.GetUsedMemorySize(), 4u * (16 + 4 + 1));
}

TEST_F(TextureTest, MipMappingCanBeSwitchedOffByConfiguration)
{
    settings->r_use_mip_mapping = false;
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a", MakeFilledImage(8, 8, 24, {1, 2, 3}), true);
    EXPECT_EQ(texture.GetTextureD3D()->GetLevelCount(), 1u);
    EXPECT_EQ(texture.GetUsedMemorySize(), 3u * 64);
}

TEST_F(TextureTest, EmptyImageGivesNoDeviceTexture)
{
    CImage empty;
    empty.CreateEmpty(&messages, &memory);
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a", empty, true);
    EXPECT_FALSE(texture.IsFree());
    EXPECT_EQ(texture.GetTextureD3D(), nullptr);
    EXPECT_EQ(texture.GetUsersCount(), 1u);
    EXPECT_EQ(texture.GetUsedMemorySize(), 0u);
    EXPECT_EQ(fake.CountCalls("CreateTexture("), 0u);
    texture.Enable(1);
    EXPECT_EQ(Device()->textures[1], nullptr);
}

TEST_F(TextureTest, DestroyReleasesTheDeviceTexture)
{
    CTexture2D texture;
    texture.Create(&messages, &memory, &config, &direct3D, "a", MakeFilledImage(2, 2, 24, {1, 2, 3}), false);
    auto* deviceTexture = static_cast<FakeDirect3DTexture8*>(texture.GetTextureD3D());
    deviceTexture->AddRef();
    texture.Enable(0);
    EXPECT_EQ(Device()->textures[0], deviceTexture);
    direct3D.SetTexture(0, nullptr);
    EXPECT_EQ(deviceTexture->GetReferences(), 2u);
    texture.Destroy();
    EXPECT_TRUE(texture.IsFree());
    EXPECT_EQ(deviceTexture->GetReferences(), 1u);
    deviceTexture->Release();
}
