#include "texture/DeviceFixture.h"

#include "core/TimerManager.h"
#include "render/ShaderManager.h"

// Draws through the OpenGL device and reads the presented frame back.
class ShaderRenderTest : public DeviceFixture
{
protected:
    ShaderRenderTest() : DeviceFixture(true) {}

    void SetUp() override
    {
        DeviceFixture::SetUp();
        timers.Create();
        shaders.Create(&messages, &memory, &files, &timers, &config, &direct3D, nullptr);
    }
    void DestroyUsers() override
    {
        shaders.Destroy();
        timers.Destroy();
    }

    struct SVertex
    {
        float x, y, z;
        D3DCOLOR colour;
        float u, v;
    };

    // A quad over the whole view in a frame cleared to blue; returns the frame, B, G, R, A.
    std::vector<std::uint8_t> DrawQuad(unsigned int handle)
    {
        IDirect3DDevice8* device = direct3D.GetDevice();
        D3DMATRIX identity = {};
        identity._11 = identity._22 = identity._33 = identity._44 = 1.0f;
        EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FF, 1.0f, 0), D3D_OK);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        device->SetTransform(D3DTS_WORLD, &identity);
        device->SetTransform(D3DTS_VIEW, &identity);
        device->SetTransform(D3DTS_PROJECTION, &identity);
        direct3D.SetLighting(0);
        direct3D.SetCullMode(D3DCULL_NONE);
        direct3D.SetZEnable(0);
        device->SetVertexShader(D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        shaders.UseShader(handle);
        SVertex const quad[4] = {{-1.0f, 1.0f, 0.5f, 0xFFFFFFFF, 0.0f, 0.0f},
                                 {1.0f, 1.0f, 0.5f, 0xFFFFFFFF, 1.0f, 0.0f},
                                 {-1.0f, -1.0f, 0.5f, 0xFFFFFFFF, 0.0f, 1.0f},
                                 {1.0f, -1.0f, 0.5f, 0xFFFFFFFF, 1.0f, 1.0f}};
        EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(SVertex)), D3D_OK);
        EXPECT_EQ(device->EndScene(), D3D_OK);
        EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
        width = direct3D.GetPresentParameters().BackBufferWidth;
        height = direct3D.GetPresentParameters().BackBufferHeight;
        std::vector<std::uint8_t> frame(std::size_t(width) * height * 4);
        EXPECT_EQ(device->GetFrontBuffer(frame.data(), width * 4), D3D_OK);
        return frame;
    }

    void ExpectPixel(std::vector<std::uint8_t> const& frame, unsigned int x, unsigned int y, int r, int g,
                     int b)
    {
        std::uint8_t const* pixel = frame.data() + (std::size_t(y) * width + x) * 4;
        EXPECT_NEAR(pixel[2], r, 2) << x << "," << y;
        EXPECT_NEAR(pixel[1], g, 2) << x << "," << y;
        EXPECT_NEAR(pixel[0], b, 2) << x << "," << y;
    }

    CTimerManager timers;
    CShaderManager shaders;
    unsigned int width = 0;
    unsigned int height = 0;
};

TEST_F(ShaderRenderTest, OpacityMapBlendsTheTextureOverTheFrame)
{
    CImage colour = MakeFilledImage(2, 2, 24, {255, 0, 0});
    CImage opacity = MakeImage(2, 2, 8, {255, 64, 255, 64});
    SaveTexture("red.tga", colour);
    SaveTexture("red_alpha.tga", opacity);

    CShaderDescriptor descriptor;
    shaders.CreateShaderDescriptor(&descriptor, SP_BLENDING);
    descriptor.SetBlendingFactor(0, SBF_SRC_ALPHA);
    descriptor.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    descriptor.AddStage(SSF_TEXTURE | SSF_OPACITY_MAP | SSF_POINT_FILTER, 1, 0.0f, "red.tga", "red_alpha.tga",
                        SSBT_CLAMP);
    unsigned int const handle = shaders.AddShader(descriptor);
    EXPECT_FALSE(HasMessage(MT_WARNING));
    EXPECT_FALSE(HasMessage(MT_ERROR));

    std::vector<std::uint8_t> const frame = DrawQuad(handle);
    ASSERT_GT(width, 0u);
    // Left half opaque red; right half a quarter red over the blue frame.
    ExpectPixel(frame, width / 4, height / 2, 255, 0, 0);
    ExpectPixel(frame, width / 4, height / 8, 255, 0, 0);
    ExpectPixel(frame, 3 * width / 4, height / 2, 64, 0, 191);
    ExpectPixel(frame, 3 * width / 4, 7 * height / 8, 64, 0, 191);
}

TEST_F(ShaderRenderTest, WithoutBlendingTheTextureReplacesTheFrame)
{
    CImage colour = MakeImage(2, 1, 24, {0, 255, 0, 255, 255, 0});
    SaveTexture("pair.tga", colour);
    CShaderDescriptor descriptor;
    shaders.CreateShaderDescriptor(&descriptor, 0);
    descriptor.AddStage(SSF_TEXTURE | SSF_POINT_FILTER, 1, 0.0f, "pair.tga", "", SSBT_CLAMP);
    std::vector<std::uint8_t> const frame = DrawQuad(shaders.AddShader(descriptor));
    ASSERT_GT(width, 0u);
    ExpectPixel(frame, width / 4, height / 2, 0, 255, 0);
    ExpectPixel(frame, 3 * width / 4, height / 2, 255, 255, 0);
}
