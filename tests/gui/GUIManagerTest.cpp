#include <gtest/gtest.h>

#include <cmath>

#include "core/Errors.h"
#include "gui/GUIHost.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/VertexBuffer.h"
#include "sound/SoundManager.h"

using namespace gui_test;

namespace
{
class GUIManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!CGUIHost::HasDisplay())
            GTEST_SKIP() << "needs an X display";
        // Sounds load on OpenAL's silent device wherever the test runs.
        setenv("ALSOFT_DRIVERS", "null", 0);
        host = std::make_unique<CGUIHost>(true, "manager");
        gui = host->gui;
        shader = host->WhiteShader();
    }

    unsigned int AddWindow(unsigned int properties = GWP_SHOWN, CGUIWindow* parent = nullptr,
                           CVector2 position = CVector2(10.0f, 20.0f),
                           CVector2 size = CVector2(100.0f, 50.0f))
    {
        return gui->AddWindow(properties, position, size, shader, parent);
    }

    std::unique_ptr<CGUIHost> host;
    CGUIManager* gui = nullptr;
    CShaderDescriptor shader;
};

TEST_F(GUIManagerTest, ReleasedIdsAreReusedOldestFirstAcrossKinds)
{
    // The main cursor took ID 0.
    EXPECT_NE(gui->GetCursor(gui->GetMainCursorId()), nullptr);
    EXPECT_FALSE(gui->GetCursor(gui->GetMainCursorId())->IsVisible());
    for (unsigned int expected = 1; expected <= 5; ++expected)
        EXPECT_EQ(AddWindow(), expected);

    gui->RemoveWindow(3);
    EXPECT_EQ(gui->GetWindow(3), nullptr);
    EXPECT_EQ(gui->AddButton(GWP_SHOWN, CVector2(0, 0), CVector2(1, 1), shader, nullptr), 3u);
    EXPECT_EQ(gui->AddCursor(2.0f, shader), 6u);

    gui->RemoveWindow(4);
    gui->RemoveWindow(2);
    EXPECT_EQ(gui->AddFont(host->WhiteShader(), CGUIHost::FontFile), 4u);
    EXPECT_EQ(AddWindow(), 2u);
    EXPECT_EQ(AddWindow(), 7u);
}

TEST_F(GUIManagerTest, WidgetWhoseCreateThrowsLeavesNothingBehind)
{
    if (host->engine.GetSoundManager()->IsFree())
        GTEST_SKIP() << "needs a sound device";
    // A stereo WAV: "RIFF", "WAVE", PCM with two channels of 8 bits, four bytes of data.
    std::filesystem::create_directories(host->directory / "Data" / "Sounds");
    std::vector<unsigned char> wave = {'R', 'I', 'F', 'F'};
    PutU32(wave, 40);
    wave.insert(wave.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    PutU32(wave, 16);
    wave.insert(wave.end(), {1, 0, 2, 0});
    PutU32(wave, 22050);
    PutU32(wave, 44100);
    wave.insert(wave.end(), {2, 0, 8, 0, 'd', 'a', 't', 'a'});
    PutU32(wave, 4);
    wave.insert(wave.end(), {0x80, 0x80, 0x80, 0x80});
    host->WriteFile("Data/Sounds/stereo.wav", wave);

    CModelManager* models = host->engine.GetModelManager();
    unsigned int const before = models->GetOccupiedModelsIndicesCount();
    EXPECT_THROW(gui->AddButton(GWP_SHOWN, CVector2(0, 0), CVector2(1, 1), shader, nullptr, "stereo.wav"),
                 CFatalError);
    EXPECT_EQ(models->GetOccupiedModelsIndicesCount(), before);
}

TEST_F(GUIManagerTest, WidgetsAreWindowsUnderTheSameId)
{
    unsigned int const button = gui->AddButton(GWP_SHOWN, CVector2(0, 0), CVector2(1, 1), shader, nullptr);
    unsigned int const box = gui->AddCheckBox(GWP_SHOWN, CVector2(0, 0), CVector2(1, 1), shader, nullptr);
    unsigned int const window = AddWindow();
    EXPECT_EQ(gui->GetWindow(button), gui->GetButton(button));
    EXPECT_EQ(gui->GetWindow(box), gui->GetCheckBox(box));
    EXPECT_EQ(gui->GetButton(box), nullptr);
    EXPECT_EQ(gui->GetButton(window), nullptr);
    EXPECT_EQ(gui->GetFont(window), nullptr);
    EXPECT_EQ(gui->GetWindow(999), nullptr);

    gui->RemoveWindow(button);
    EXPECT_EQ(gui->GetButton(button), nullptr);
    EXPECT_EQ(gui->GetWindow(button), nullptr);
    gui->RemoveButton(window);
    EXPECT_NE(gui->GetWindow(window), nullptr);
}

TEST_F(GUIManagerTest, ChildOfAHiddenParentStaysHiddenUntilTheParentShows)
{
    CGUIWindow* parent = gui->GetWindow(AddWindow(0));
    CGUIWindow* child = gui->GetWindow(AddWindow(0, parent));
    CGUIWindow* grandchild = gui->GetWindow(AddWindow(GWP_SHOWN, child));
    child->Show(true);
    EXPECT_FALSE(child->IsVisible());
    EXPECT_FALSE(grandchild->IsVisible());
    parent->Show(true);
    EXPECT_TRUE(child->IsVisible());
    EXPECT_TRUE(grandchild->IsVisible());
    parent->Show(false);
    EXPECT_FALSE(grandchild->IsVisible());
    EXPECT_FALSE(grandchild->GetModel()->IsVisible());
}

TEST_F(GUIManagerTest, DepthsFollowPropertiesAndHeightAboveParent)
{
    CGUIWindow* plain = gui->GetWindow(AddWindow());
    CGUIWindow* nearer = gui->GetWindow(AddWindow(GWP_SHOWN | GWP_DEPTH_NEAR));
    CGUIWindow* farther = gui->GetWindow(AddWindow(GWP_SHOWN | GWP_DEPTH_FAR));
    EXPECT_FLOAT_EQ(plain->GetDepth(), -3.0f);
    EXPECT_FLOAT_EQ(nearer->GetDepth(), -1.0f);
    EXPECT_FLOAT_EQ(farther->GetDepth(), -5.0f);

    CGUIWindow* child = gui->GetWindow(AddWindow(GWP_SHOWN | GWP_DEPTH_NEAR, farther));
    child->SetHeightAboveParent(10);
    EXPECT_EQ(child->GetProperties() & (GWP_DEPTH_NEAR | GWP_DEPTH_FAR), 0u);
    EXPECT_FLOAT_EQ(child->GetDepth(), -5.1f);
    nearer->SetParent(plain);
    EXPECT_FLOAT_EQ(nearer->GetDepth(), -3.0f);
    EXPECT_EQ(nearer->GetProperties() & GWP_DEPTH_NEAR, 0u);
}

TEST_F(GUIManagerTest, MouseIsOnAWindowOnlyStrictlyInside)
{
    CGUIWindow* parent = gui->GetWindow(AddWindow(GWP_SHOWN, nullptr, CVector2(100, 100)));
    CGUIWindow* child = gui->GetWindow(AddWindow(GWP_SHOWN, parent, CVector2(10, 20), CVector2(30, 40)));
    EXPECT_FLOAT_EQ(child->GetParentOffset().x, 100.0f);
    child->Refresh(CVector2(125, 140));
    EXPECT_TRUE(child->IsMouseOnWindow());
    child->Refresh(CVector2(110, 140));
    EXPECT_FALSE(child->IsMouseOnWindow());
    child->Refresh(CVector2(125, 160));
    EXPECT_FALSE(child->IsMouseOnWindow());
    child->Refresh(CVector2(139.9f, 159.9f));
    EXPECT_TRUE(child->IsMouseOnWindow());
    parent->Show(false);
    child->Refresh(CVector2(125, 140));
    EXPECT_FALSE(child->IsMouseOnWindow());
}

TEST_F(GUIManagerTest, ModelMatrixPlacesTheUnitQuad)
{
    CGUIWindow* window = gui->GetWindow(AddWindow(GWP_SHOWN, nullptr, CVector2(10, 20), CVector2(100, 50)));
    window->Refresh(CVector2(0, 0));
    CMatrix4x4 const& matrix = window->GetModel()->GetMatrix();
    CVector3 const far = matrix * CVector3(1.0f, 1.0f, 0.0f);
    EXPECT_FLOAT_EQ(far.x, 110.0f);
    EXPECT_FLOAT_EQ(far.y, 70.0f);
    EXPECT_FLOAT_EQ(far.z, -3.0f);
    EXPECT_FLOAT_EQ(window->GetModel()->GetDepthValue(), -3.0f);

    window->SetRotationAngle(1.5707964f);
    window->Refresh(CVector2(0, 0));
    CVector3 const centre = window->GetModel()->GetMatrix() * CVector3(0.5f, 0.5f, 0.0f);
    CVector3 const corner = window->GetModel()->GetMatrix() * CVector3(1.0f, 1.0f, 0.0f);
    EXPECT_NEAR(centre.x, 60.0f, 1e-3);
    EXPECT_NEAR(centre.y, 45.0f, 1e-3);
    EXPECT_NEAR(corner.x, 60.0f - 25.0f, 1e-3);
    EXPECT_NEAR(corner.y, 45.0f + 50.0f, 1e-3);
}

TEST_F(GUIManagerTest, FlipsMirrorTheTextureCoordinates)
{
    CGUIWindow* window = gui->GetWindow(AddWindow());
    Vertex const* v = window->GetModel()->GetVertexBuffer()->Get();
    EXPECT_FLOAT_EQ(v[0].uv.x, 0.0f);
    window->FlipHorizontal();
    EXPECT_FLOAT_EQ(v[0].uv.x, 1.0f);
    EXPECT_TRUE(window->GetProperties() & GWP_FLIP_HORIZONTAL);
    EXPECT_FLOAT_EQ(v[0].uv.y, 1.0f);
    window->FlipVertical();
    EXPECT_FLOAT_EQ(v[0].uv.y, 0.0f);
    window->SetColor(CVector4(1.0f, 0.0f, 0.0f, 0.5f));
    EXPECT_EQ(v[3].color, 0x80FF0000u);
}

TEST_F(GUIManagerTest, WindowFontCopyIsSharedAndExpiresAfterAFrameWithoutText)
{
    CGUIFont* font = host->AddTestFont();
    CGUIWindow* window = gui->GetWindow(AddWindow());
    CGUIWindow* child = gui->GetWindow(AddWindow(GWP_SHOWN, window));
    child->SetHeightAboveParent(3);

    gui->Print(font, window, CVector2(1, 2), CColor(COLOR_WHITE), "%d", 12);
    gui->Print(font, window, CVector2(1, 2), CColor(COLOR_WHITE), "ab");
    EXPECT_EQ(gui->GetWindowFontsCount(), 1u);
    gui->Print(font, child, CVector2(1, 2), CColor(COLOR_WHITE), "x");
    EXPECT_EQ(gui->GetWindowFontsCount(), 2u);

    unsigned int const copyId = gui->AddWindowFont(font, window);
    CGUIFont* copy = gui->GetWindowFont(copyId);
    EXPECT_EQ(copy->GetParentFont(), font);
    EXPECT_EQ(copy->GetCharactersCount(), 4u);
    EXPECT_NEAR(copy->GetModelDepthValue(), -3.005f, 1e-6);
    EXPECT_EQ(font->GetCharactersCount(), 0u);

    gui->Refresh();
    EXPECT_EQ(gui->GetWindowFontsCount(), 2u);
    gui->Print(font, window, CVector2(1, 2), CColor(COLOR_WHITE), "still");
    gui->Refresh();
    EXPECT_EQ(gui->GetWindowFontsCount(), 1u);
    EXPECT_EQ(gui->GetWindowFont(copyId), copy);
    gui->Refresh();
    EXPECT_EQ(gui->GetWindowFontsCount(), 0u);
    EXPECT_EQ(gui->GetWindowFont(copyId), nullptr);
}

TEST_F(GUIManagerTest, PrintingPlacesTextInTheWindowAndSkipsHiddenWindows)
{
    CGUIFont* font = host->AddTestFont(10.0f);
    CGUIWindow* window = gui->GetWindow(AddWindow(GWP_SHOWN, nullptr, CVector2(100, 200), CVector2(60, 30)));
    gui->Print(true, true, font, window, CVector2(0, 0), CColor(COLOR_WHITE), "AB");
    CGUIFont* copy = gui->GetWindowFont(gui->AddWindowFont(font, window));
    Vertex const* v = copy->GetModel()->GetVertexBuffer()->Get();
    // "AB" is 10 wide and 10 high in a 60 x 30 window.
    EXPECT_FLOAT_EQ(v[1].position.x, 100.0f + 25.0f);
    EXPECT_FLOAT_EQ(v[1].position.y, 200.0f + 10.0f);

    unsigned int const fontId = gui->AddFont(host->WhiteShader(), CGUIHost::FontFile);
    unsigned int const hiddenId = AddWindow(0);
    gui->Print(fontId, hiddenId, CVector2(0, 0), CColor(COLOR_WHITE), "nothing");
    gui->Print(fontId, 12345u, CVector2(0, 0), CColor(COLOR_WHITE), "nothing");
    EXPECT_EQ(gui->GetWindowFontsCount(), 1u);
}

TEST_F(GUIManagerTest, RemovingAFontRemovesItsWindowCopies)
{
    unsigned int const fontId = gui->AddFont(host->WhiteShader(), CGUIHost::FontFile);
    unsigned int const windowId = AddWindow();
    gui->Print(fontId, windowId, CVector2(0, 0), CColor(COLOR_WHITE), "x");
    ASSERT_EQ(gui->GetWindowFontsCount(), 1u);
    gui->RemoveFont(fontId);
    EXPECT_EQ(gui->GetWindowFontsCount(), 0u);
    EXPECT_EQ(gui->GetFont(fontId), nullptr);
}

TEST_F(GUIManagerTest, CursorConversionBetweenPixelsAndGUISpace)
{
    CVector2 const gui = CGUICursor::PixelsToGUI(CVector2(320, 0), 640, 480, 800, 600);
    EXPECT_FLOAT_EQ(gui.x, 400.0f);
    EXPECT_FLOAT_EQ(gui.y, 479.0f / 480.0f * 600.0f);
    CVector2 const back = CGUICursor::GUIToPixels(gui, 640, 480, 800, 600);
    EXPECT_NEAR(back.x, 320.0f, 1e-3);
    EXPECT_NEAR(back.y, 0.0f, 1e-3);
}

TEST_F(GUIManagerTest, ScreenSizeGoesToTheGUICamera)
{
    gui->SetScreenSize(800.0f, 600.0f);
    EXPECT_FLOAT_EQ(gui->GetScreenWidth(), 800.0f);
    CCamera* camera = host->engine.GetCameraManager()->GetCamera(gui->GetCameraIndex());
    EXPECT_FLOAT_EQ(camera->GetScreenHeight(), 600.0f);
    EXPECT_FLOAT_EQ(camera->GetNearPlaneDistance(), 100.0f);
    EXPECT_FLOAT_EQ(camera->GetFarPlaneDistance(), -100.0f);
    EXPECT_FALSE(camera->IsPerspective());
}
} // namespace
