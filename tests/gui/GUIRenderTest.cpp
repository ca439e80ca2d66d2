#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gui/GUIHost.h"

using namespace gui_test;

namespace
{
// Text printed through the GUI on the OpenGL device in a real window: the GUI space matches
// the window's pixels, so glyph quads can be looked for where the text was placed.
class GUIRenderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        host = std::make_unique<CGUIHost>(false, "render");
        host->engine.GetModelManager()->SetClearColor(CVector4(0.0f, 0.0f, 0.0f, 1.0f));
    }

    void Render()
    {
        // The test reads frames the engine's capture did not ask for.
        host->engine.GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
        host->engine.BeginFrame();
        host->engine.FinishFrame();
        frame.assign(std::size_t(CGUIHost::Width) * CGUIHost::Height, 0);
        IDirect3DDevice8* device = host->engine.GetDirect3DSubsystem()->GetDevice();
        ASSERT_EQ(device->GetFrontBuffer(frame.data(), CGUIHost::Width * 4), D3D_OK);
    }

    // The colour at a point of GUI space (y upwards).
    std::uint32_t At(int x, int y) const
    {
        int const row = static_cast<int>(CGUIHost::Height) - 1 - y;
        return frame[std::size_t(row) * CGUIHost::Width + x] & 0x00FFFFFF;
    }

    std::unique_ptr<CGUIHost> host;
    std::vector<std::uint32_t> frame;
};

TEST_F(GUIRenderTest, GlyphPixelsAppearWhereTheTextIs)
{
    CGUIFont* font = host->AddTestFont(20.0f);
    CShaderDescriptor none;
    host->engine.GetShaderManager()->CreateShaderDescriptor(&none, 0u);
    CGUIWindow* text =
        host->gui->GetWindow(host->gui->AddWindow(GWP_SHOWN, CVector2(0, 0), CVector2(0, 0), none, nullptr));
    // Glyphs 10 wide and 20 high; the space leaves 17 units empty.
    host->gui->Print(font, text, CVector2(100, 200), CColor(COLOR_RED), "AA A");
    Render();

    EXPECT_EQ(At(105, 210), 0xFF0000u);
    EXPECT_EQ(At(115, 210), 0xFF0000u);
    EXPECT_EQ(At(102, 202), 0xFF0000u);
    EXPECT_EQ(At(118, 218), 0xFF0000u);
    EXPECT_EQ(At(128, 210), 0x000000u);
    EXPECT_EQ(At(142, 210), 0xFF0000u);
    EXPECT_EQ(At(155, 210), 0x000000u);
    EXPECT_EQ(At(110, 197), 0x000000u);
    EXPECT_EQ(At(110, 223), 0x000000u);
    EXPECT_EQ(At(300, 300), 0x000000u);

    // Nothing printed in the next frame: the text is gone.
    Render();
    Render();
    EXPECT_EQ(At(105, 210), 0x000000u);
}

TEST_F(GUIRenderTest, WindowsDrawTheirColourAndTextLiesOverThem)
{
    CGUIFont* font = host->AddTestFont(20.0f);
    CGUIWindow* panel = host->gui->GetWindow(
        host->gui->AddWindow(GWP_SHOWN, CVector2(50, 50), CVector2(200, 100), host->WhiteShader(), nullptr));
    panel->SetColor(CVector4(0.0f, 0.0f, 1.0f, 1.0f));
    host->gui->Print(font, panel, CVector2(10, 10), CColor(COLOR_LIME), "A");
    Render();

    EXPECT_EQ(At(150, 120), 0x0000FFu);
    EXPECT_EQ(At(65, 70), 0x00FF00u);
    EXPECT_EQ(At(40, 70), 0x000000u);
    EXPECT_EQ(At(255, 70), 0x000000u);
}
TEST_F(GUIRenderTest, WindowPicturesStandUpright)
{
    // A picture stored top row first: red above, green below.
    std::vector<unsigned char> picture = MakeSolidTga(8, 8, 0xFFFF0000u);
    for (std::size_t pixel = 32; pixel < 64; ++pixel) {
        picture[18 + 4 * pixel + 1] = 0xFF;
        picture[18 + 4 * pixel + 2] = 0x00;
    }
    host->WriteFile("Data/Textures/font/halves.tga", picture);
    CShaderDescriptor shader;
    host->engine.GetShaderManager()->CreateShaderDescriptor(&shader, 0u);
    shader.AddStage(SSF_TEXTURE, 1, 0.0f, "font\\halves.tga", "", SSBT_CLAMP);
    host->gui->AddWindow(GWP_SHOWN, CVector2(100, 100), CVector2(80, 80), shader, nullptr);
    CGUIWindow* mirrored = host->gui->GetWindow(
        host->gui->AddWindow(GWP_SHOWN, CVector2(300, 100), CVector2(80, 80), shader, nullptr));
    mirrored->FlipVertical();
    Render();

    EXPECT_EQ(At(140, 170), 0xFF0000u);
    EXPECT_EQ(At(140, 110), 0x00FF00u);
    EXPECT_EQ(At(340, 170), 0x00FF00u);
    EXPECT_EQ(At(340, 110), 0xFF0000u);
}
} // namespace
