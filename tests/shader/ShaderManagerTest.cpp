#include "texture/DeviceFixture.h"

#include "core/Format.h"
#include "core/TimerManager.h"
#include "render/ShaderManager.h"
#include "render/Texture2D.h"

class ShaderManagerTest : public DeviceFixture
{
protected:
    void SetUp() override
    {
        DeviceFixture::SetUp();
        timers.Create();
        shaders.Create(&messages, &memory, &files, &timers, &config, &direct3D, nullptr);
        textures = shaders.GetTextureManager();
    }
    void DestroyUsers() override
    {
        shaders.Destroy();
        timers.Destroy();
    }

    CShaderDescriptor Descriptor(unsigned int properties = 0)
    {
        CShaderDescriptor descriptor;
        shaders.CreateShaderDescriptor(&descriptor, properties);
        return descriptor;
    }

    std::vector<std::string> TextureNames()
    {
        std::vector<std::string> names;
        for (unsigned int i = 0; i < textures->GetOccupiedTextures2DIndicesCount(); ++i)
            names.push_back(textures->GetTexture2D(textures->GetOccupiedTexture2DIndex(i))->GetName());
        return names;
    }

    IDirect3DTexture8* TextureOf(unsigned int handle, unsigned int stage, unsigned int frame)
    {
        return textures->GetTexture2D(shaders.GetShader(handle)->GetShaderStage(stage)->textures[frame])
            ->GetTextureD3D();
    }

    DWORD StageState(DWORD unit, D3DTEXTURESTAGESTATETYPE type)
    {
        return Device()->stageStates[{unit, type}];
    }

    // Starts a frame in which nothing is forced.
    void NextFrame()
    {
        direct3D.Refresh();
        fake.ClearCalls();
    }

    CTimerManager timers;
    CShaderManager shaders;
    CTextureManager* textures = nullptr;
};

TEST_F(ShaderManagerTest, CreateSendsTheFixedStageStatesToEveryUnit)
{
    for (DWORD unit = 0; unit < 4; ++unit) {
        EXPECT_EQ(StageState(unit, D3DTSS_TEXTURETRANSFORMFLAGS), D3DTTFF_COUNT2);
        EXPECT_EQ(StageState(unit, D3DTSS_TEXCOORDINDEX), 0u);
        EXPECT_EQ(StageState(unit, D3DTSS_COLOROP), D3DTOP_MODULATE);
        EXPECT_EQ(StageState(unit, D3DTSS_ALPHAARG1), D3DTA_TEXTURE);
        EXPECT_EQ(StageState(unit, D3DTSS_ALPHAARG2), D3DTA_DIFFUSE);
        EXPECT_EQ(StageState(unit, D3DTSS_ALPHAOP), unit == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE);
    }
    EXPECT_EQ(fake.CountCalls("SetTextureStageState(4,"), 0u);

    // Sent again only after the device was reset.
    NextFrame();
    shaders.Refresh();
    EXPECT_EQ(fake.CountCalls("SetTextureStageState("), 0u);
    Device()->cooperativeLevelResults = {D3DERR_DEVICENOTRESET, D3D_OK};
    direct3D.Refresh();
    ASSERT_TRUE(direct3D.WasDeviceLost());
    fake.ClearCalls();
    shaders.Refresh();
    EXPECT_EQ(fake.CountCalls("SetTextureStageState("), 24u);
}

TEST_F(ShaderManagerTest, DescriptorsDifferingInColourShareTheTextures)
{
    CShaderDescriptor red = Descriptor();
    red.AddStage(SSF_TEXTURE, 1, 0.0f, "wall.tga", "", SSBT_REPEAT);
    red.SetDiffuseColor(CVector4(1.0f, 0.0f, 0.0f, 1.0f));
    CShaderDescriptor blended = Descriptor(SP_BLENDING);
    blended.AddStage(SSF_TEXTURE, 1, 0.0f, "wall.tga", "", SSBT_CLAMP);
    blended.SetBlendingFactor(0, SBF_ONE);

    unsigned int const a = shaders.AddShader(red);
    unsigned int const b = shaders.AddShader(blended);
    unsigned int const c = shaders.AddShader(red);
    EXPECT_NE(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(shaders.GetShader(a), shaders.GetShader(b));
    EXPECT_EQ(shaders.GetShader(a), shaders.GetShader(c));
    EXPECT_EQ(shaders.GetShader(a)->GetUsersCount(), 3u);
    EXPECT_EQ(shaders.GetOccupiedShadersIndicesCount(), 1u);
    EXPECT_EQ(shaders.GetOccupiedShadersDescriptorsIndicesCount(), 3u);
    EXPECT_EQ(TextureNames(), (std::vector<std::string>{"diffuse_data\\textures\\wall.tga"}));
    EXPECT_EQ(textures->GetTexture2D(textures->GetOccupiedTexture2DIndex(0))->GetUsersCount(), 1u);
    // Each handle keeps its own colours and blend.
    EXPECT_EQ(shaders.GetShaderDescriptor(b)->GetBlendingFactor(0), SBF_ONE);
    EXPECT_EQ(shaders.GetShaderDescriptor(a)->GetDiffuseColor().y, 0.0f);

    shaders.RemoveShader(a);
    shaders.RemoveShader(c);
    EXPECT_EQ(shaders.GetShaderDescriptor(a), nullptr);
    EXPECT_EQ(textures->GetOccupiedTextures2DIndicesCount(), 1u);
    EXPECT_EQ(shaders.GetShader(b)->GetUsersCount(), 1u);
    shaders.RemoveShader(b);
    EXPECT_EQ(shaders.GetOccupiedShadersIndicesCount(), 0u);
    EXPECT_EQ(textures->GetOccupiedTextures2DIndicesCount(), 0u);
    // A handle that is gone is ignored.
    shaders.RemoveShader(b);
    shaders.UseShader(b);
}

TEST_F(ShaderManagerTest, MostRecentlyFreedHandlesAndShadersAreReused)
{
    CShaderDescriptor first = Descriptor();
    first.AddStage(SSF_TEXTURE, 1, 0.0f, "one.tga", "", SSBT_REPEAT);
    CShaderDescriptor second = Descriptor();
    second.AddStage(SSF_TEXTURE, 1, 0.0f, "two.tga", "", SSBT_REPEAT);
    CShaderDescriptor third = Descriptor();
    third.AddStage(SSF_TEXTURE, 1, 0.0f, "three.tga", "", SSBT_REPEAT);

    unsigned int const h0 = shaders.AddShader(first);
    unsigned int const h1 = shaders.AddShader(second);
    unsigned int const h2 = shaders.AddShader(third);
    EXPECT_EQ(h0, 0u);
    EXPECT_EQ(h1, 1u);
    EXPECT_EQ(h2, 2u);
    shaders.RemoveShader(h0);
    shaders.RemoveShader(h1);

    unsigned int const again = shaders.AddShader(third);
    EXPECT_EQ(again, h1);
    EXPECT_EQ(shaders.GetShaderDescriptor(again)->GetShaderIndex(), 2u);
    unsigned int const fresh = shaders.AddShader(second);
    EXPECT_EQ(fresh, h0);
    EXPECT_EQ(shaders.GetShaderDescriptor(fresh)->GetShaderIndex(), 1u);
    EXPECT_EQ(shaders.AddShader(first), 3u);
    EXPECT_EQ(shaders.GetShaderDescriptor(3)->GetShaderIndex(), 0u);
    EXPECT_EQ(shaders.GetOccupiedShaderDescriptorIndex(0), 2u);
}

TEST_F(ShaderManagerTest, AnimatedStageLoadsNumberedFramesAndShowsTheCurrentOne)
{
    CShaderDescriptor wave = Descriptor();
    wave.AddStage(SSF_TEXTURE | SSF_ANIMATED_TEXTURE, 12, 0.0f, "wave.tga", "", SSBT_REPEAT);
    for (unsigned int frame = 0; frame < 12; ++frame) {
        CImage image = MakeFilledImage(2, 2, 24, {static_cast<std::uint8_t>(frame), 0, 0});
        SaveTexture(CFormat("wave%02u.tga", frame), image);
    }
    unsigned int const handle = shaders.AddShader(wave);
    EXPECT_FALSE(HasMessage(MT_ERROR));
    std::vector<std::string> const names = TextureNames();
    ASSERT_EQ(names.size(), 12u);
    EXPECT_EQ(names.front(), "diffuse_data\\textures\\wave00.tga");
    EXPECT_EQ(names[9], "diffuse_data\\textures\\wave09.tga");
    EXPECT_EQ(names.back(), "diffuse_data\\textures\\wave11.tga");
    EXPECT_EQ(shaders.GetShader(handle)->GetShaderStage(0)->texturesCount, 12u);

    SShaderDescriptorStage* stage = shaders.GetShaderDescriptor(handle)->GetStage(0);
    stage->time = 3.9f;
    shaders.UseShader(handle);
    EXPECT_EQ(Device()->textures[0], TextureOf(handle, 0, 3));
    stage->time = 12.0f;
    shaders.Refresh();
    EXPECT_EQ(stage->time, 12.0f);
    shaders.UseShader(handle);
    EXPECT_EQ(Device()->textures[0], TextureOf(handle, 0, 0));
    stage->time = 12.5f;
    shaders.Refresh();
    EXPECT_FLOAT_EQ(stage->time, 0.5f);
    stage->time = 11.0f;
    shaders.UseShader(handle);
    EXPECT_EQ(Device()->textures[0], TextureOf(handle, 0, 11));
}

TEST(ShaderFrameNameTest, DigitsFollowTheFrameCount)
{
    EXPECT_EQ(CShader::GetFrameName("wave.tga", 3, 10), "wave3.tga");
    EXPECT_EQ(CShader::GetFrameName("wave.tga", 3, 11), "wave03.tga");
    EXPECT_EQ(CShader::GetFrameName("fish\\w.jpg", 42, 101), "fish\\w042.jpg");
    EXPECT_EQ(CShader::GetFrameName("wave.tga", 99, 100), "wave99.tga");
}

TEST_F(ShaderManagerTest, AnimatedOpacityIsNumberedOnItsOwn)
{
    CShaderDescriptor descriptor = Descriptor();
    descriptor.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_ANIMATED_OPACITY, 2, 0.0f, "base.tga", "mask.tga",
                        SSBT_REPEAT);
    shaders.AddShader(descriptor);
    EXPECT_EQ(TextureNames(),
              (std::vector<std::string>{
                  "diffuse_data\\textures\\base.tga_plus_opacity_data\\textures\\mask0.tga",
                  "diffuse_data\\textures\\base.tga_plus_opacity_data\\textures\\mask1.tga"}));
}

TEST_F(ShaderManagerTest, UseAppliesBlendFiltersBordersAndMatrices)
{
    CShaderDescriptor descriptor = Descriptor(SP_BLENDING);
    descriptor.SetBlendingFactor(0, SBF_SRC_ALPHA);
    descriptor.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    descriptor.AddStage(SSF_TEXTURE | SSF_POINT_FILTER, 1, 0.0f, "a.tga", "", SSBT_CLAMP);
    descriptor.AddStage(0, 1, 0.0f, "", "", SSBT_REPEAT);
    descriptor.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f, "b.tga", "", SSBT_REPEAT);
    descriptor.GetStage(2)->scaleU = 2.0f;
    descriptor.GetStage(2)->offsetV = 0.5f;
    descriptor.GetStage(0)->borderV = SSBT_REPEAT;
    unsigned int const handle = shaders.AddShader(descriptor);
    NextFrame();
    shaders.UseShader(handle);

    EXPECT_EQ(Device()->renderStates[D3DRS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(Device()->renderStates[D3DRS_SRCBLEND], D3DBLEND_SRCALPHA);
    EXPECT_EQ(Device()->renderStates[D3DRS_DESTBLEND], D3DBLEND_INVSRCALPHA);
    EXPECT_EQ(StageState(0, D3DTSS_MAGFILTER), D3DTEXF_POINT);
    EXPECT_EQ(StageState(0, D3DTSS_MINFILTER), D3DTEXF_POINT);
    EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), D3DTEXF_NONE);
    EXPECT_EQ(StageState(0, D3DTSS_ADDRESSU), D3DTADDRESS_CLAMP);
    EXPECT_EQ(StageState(0, D3DTSS_ADDRESSV), D3DTADDRESS_WRAP);
    // The stage without a texture takes no unit.
    EXPECT_EQ(StageState(1, D3DTSS_MAGFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(StageState(1, D3DTSS_MIPFILTER), D3DTEXF_LINEAR);
    EXPECT_EQ(Device()->textures[1], TextureOf(handle, 2, 0));
    D3DMATRIX const& matrix = Device()->transforms[D3DTS_TEXTURE0 + 1];
    EXPECT_EQ(matrix._11, 2.0f);
    EXPECT_EQ(matrix._22, 1.0f);
    EXPECT_EQ(matrix._32, 0.5f);
    EXPECT_EQ(Device()->textures[2], nullptr);
    EXPECT_EQ(Device()->textures[3], nullptr);
    // The material is only sent in frames that force every state.
    EXPECT_EQ(fake.CountCalls("SetMaterial("), 0u);

    settings->r_texture_anisotropy = 4;
    CShaderDescriptor opaque = Descriptor();
    opaque.AddStage(SSF_TEXTURE | SSF_MIP_MAPPING, 1, 0.0f, "b.tga", "", SSBT_REPEAT);
    shaders.UseShader(shaders.AddShader(opaque));
    EXPECT_EQ(Device()->renderStates[D3DRS_ALPHABLENDENABLE], 0u);
    EXPECT_EQ(StageState(0, D3DTSS_MIPFILTER), D3DTEXF_ANISOTROPIC);
    EXPECT_EQ(Device()->textures[1], nullptr);

    // Unchanged states are not sent again.
    fake.ClearCalls();
    shaders.UseShader(handle);
    shaders.UseShader(handle);
    unsigned int const once = static_cast<unsigned int>(fake.GetCalls().size());
    fake.ClearCalls();
    shaders.UseShader(handle);
    EXPECT_EQ(fake.GetCalls().size(), 0u);
    EXPECT_GT(once, 0u);
}

TEST_F(ShaderManagerTest, ForcedFrameSendsTheStoredMaterial)
{
    unsigned int const handle = shaders.AddShader(Descriptor());
    ASSERT_TRUE(direct3D.IsForceStates());
    fake.ClearCalls();
    shaders.UseShader(handle);
    EXPECT_EQ(fake.CountCalls("SetMaterial("), 1u);
    EXPECT_EQ(Device()->material.Diffuse.r, 0.6f);
}

TEST_F(ShaderManagerTest, MoreStagesThanUnitsFillTheUnitsThereAre)
{
    CShaderDescriptor descriptor = Descriptor();
    for (int i = 0; i < 6; ++i)
        descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, CFormat("s%d.tga", i).GetString().c_str(), "", SSBT_REPEAT);
    for (int i = 0; i < 6; ++i) {
        CImage image = MakeFilledImage(1, 1, 24, {static_cast<std::uint8_t>(i), 0, 0});
        SaveTexture(CFormat("s%d.tga", i), image);
    }
    unsigned int const handle = shaders.AddShader(descriptor);
    NextFrame();
    shaders.UseShader(handle);
    for (unsigned int unit = 0; unit < 4; ++unit)
        EXPECT_EQ(Device()->textures[unit], TextureOf(handle, unit, 0)) << unit;
    EXPECT_EQ(fake.CountCalls("SetTexture(4,"), 0u);
}

TEST_F(ShaderManagerTest, UnreadableFileGivesTheDefaultDescriptor)
{
    unsigned int const handle = shaders.AddShader("models\\missing.srf", 2);
    EXPECT_TRUE(HasMessage(MT_ERROR));
    CShaderDescriptor const* descriptor = shaders.GetShaderDescriptor(handle);
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->GetProperties(), 0u);
    EXPECT_EQ(descriptor->GetStagesCount(), 0u);
    EXPECT_EQ(descriptor->GetDiffuseColor().x, 1.0f);

    CShaderDescriptor out;
    shaders.CreateShaderDescriptor(&out, "models\\missing.srf", 0);
    EXPECT_FALSE(out.IsFree());
    EXPECT_EQ(out.GetTimerManager(), &timers);
    EXPECT_EQ(out.GetStagesCount(), 0u);
}

TEST_F(ShaderManagerTest, ShaderFromFileLoadsItsStage)
{
    CShaderDescriptor saved = Descriptor(SP_BLENDING);
    saved.AddStage(SSF_TEXTURE, 1, 0.0f, "star.tga", "", SSBT_REPEAT);
    ASSERT_TRUE(CShaderDescriptor::SaveToFile(&messages, &memory, &files, 1, &saved, "models\\star.srf"));
    unsigned int const handle = shaders.AddShader("models\\star.srf", 0);
    EXPECT_EQ(shaders.GetShaderDescriptor(handle)->GetProperties(), SP_BLENDING);
    EXPECT_EQ(TextureNames(), (std::vector<std::string>{"diffuse_data\\textures\\star.tga"}));
}

TEST_F(ShaderManagerTest, AnimationAdvancesEveryHandleOnItsOwn)
{
    CShaderDescriptor descriptor = Descriptor();
    descriptor.AddStage(SSF_TEXTURE | SSF_ANIMATED_TEXTURE | SSF_NO_LOAD, 4, 1000.0f, "w.tga", "",
                        SSBT_REPEAT);
    unsigned int const a = shaders.AddShader(descriptor);
    unsigned int const b = shaders.AddShader(descriptor);
    EXPECT_EQ(textures->GetOccupiedTextures2DIndicesCount(), 0u);
    shaders.GetShaderDescriptor(b)->GetStage(0)->speed = 0.0f;
    shaders.GetShaderDescriptor(b)->GetStage(0)->time = 2.0f;
    timers.Refresh();
    shaders.Refresh();
    EXPECT_GT(shaders.GetShaderDescriptor(a)->GetStage(0)->time, 0.0f);
    EXPECT_EQ(shaders.GetShaderDescriptor(b)->GetStage(0)->time, 2.0f);
    // A stage that loads nothing binds no texture.
    shaders.UseShader(a);
    EXPECT_EQ(Device()->textures[0], nullptr);
}

TEST_F(ShaderManagerTest, DestroyReleasesShadersAndTextures)
{
    CShaderDescriptor descriptor = Descriptor();
    descriptor.AddStage(SSF_TEXTURE, 1, 0.0f, "x.tga", "", SSBT_REPEAT);
    CImage image = MakeFilledImage(2, 2, 24, {1, 2, 3});
    SaveTexture("x.tga", image);
    unsigned int const handle = shaders.AddShader(descriptor);
    auto* texture = static_cast<FakeDirect3DTexture8*>(TextureOf(handle, 0, 0));
    texture->AddRef();
    shaders.Destroy();
    EXPECT_TRUE(shaders.IsFree());
    EXPECT_TRUE(textures->IsFree());
    EXPECT_EQ(texture->GetReferences(), 1u);
    texture->Release();
}
