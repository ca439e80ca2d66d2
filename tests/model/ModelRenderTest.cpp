#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ModelFixture.h"
#include "ModelSamples.h"
#include "render/Light.h"
#include "render/LightManager.h"

// Models drawn by the real device on the test display and read back from the shown frame.
namespace
{
struct SPixel
{
    int r, g, b;
    int Brightness() const { return r + g + b; }
};

class ModelRenderTest : public ModelFixture
{
protected:
    ModelRenderTest() : ModelFixture(false) {}

    void SetUp() override
    {
        ModelFixture::SetUp();
        Models()->SetClearColor({0.0f, 0.0f, 0.0f, 1.0f});
        PlaceCamera({0.0f, 0.0f, 10.0f});
    }

    void Render()
    {
        RunFrame();
        D3DPRESENT_PARAMETERS const& parameters = Direct3D()->GetPresentParameters();
        width = parameters.BackBufferWidth;
        height = parameters.BackBufferHeight;
        frame.assign(std::size_t(width) * height, 0);
        ASSERT_EQ(Direct3D()->GetDevice()->GetFrontBuffer(frame.data(), width * 4), D3D_OK);
    }

    // A white directional light and no ambient light.
    CLight* AddWhiteLightOnly(CVector3 const& direction)
    {
        CLight* light = Lights()->GetLight(Lights()->AddLight());
        light->SetType(LT_DIRECTIONAL);
        light->SetDirection(direction);
        light->SetDiffuseColor({1.0f, 1.0f, 1.0f, 1.0f});
        light->SetAmbientColor({0.0f, 0.0f, 0.0f, 1.0f});
        light->SetSpecularColor({0.0f, 0.0f, 0.0f, 1.0f});
        light->Enable();
        Lights()->SetGlobalAmbient({0.0f, 0.0f, 0.0f});
        return light;
    }

    // The shown pixel where the world point lands.
    SPixel At(CVector3 const& point)
    {
        CVector3 const projected = Cameras()->GetProjectedPoint(camera, point);
        int const x = static_cast<int>(projected.x);
        int const y = static_cast<int>(height) - 1 - static_cast<int>(projected.y);
        EXPECT_TRUE(x >= 0 && y >= 0 && x < int(width) && y < int(height)) << x << "," << y;
        if (x < 0 || y < 0 || x >= int(width) || y >= int(height))
            return {0, 0, 0};
        std::uint32_t const value = frame[std::size_t(y) * width + x];
        return {int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF)};
    }

    unsigned int width = 0;
    unsigned int height = 0;
    std::vector<std::uint32_t> frame;
};

TEST_F(ModelRenderTest, BendingTheArmBoneMovesItsPixels)
{
    WriteModel("arm.mlf", model_samples::MakeSkeletal());
    CModel* arm = Models()->AddModel("arm.mlf", 0);
    ASSERT_EQ(arm->GetSkeleton()->GetBonesCount(), 2u);
    PlaceCamera({1.0f, 0.5f, 4.0f});
    Render();
    EXPECT_GT(At({1.75f, 0.0f, 0.0f}).Brightness(), 600);
    EXPECT_EQ(At({1.0f, 0.75f, 0.0f}).Brightness(), 0);

    // A quarter turn about the arm's root: the arm now points up from (1, 0).
    arm->GetSkeleton()->RotateBone(1, CQuaternion::GetRotationZ(1.5707964f));
    Render();
    EXPECT_EQ(At({1.75f, 0.0f, 0.0f}).Brightness(), 0);
    EXPECT_GT(At({1.0f, 0.75f, 0.0f}).Brightness(), 600);
}

TEST_F(ModelRenderTest, LitTorusAndBoxFaceTheLight)
{
    CLight* light = AddWhiteLightOnly({0.0f, 0.0f, -1.0f});

    CShaderDescriptor shader = MakeShader();
    CModel* torus = Models()->AddModelTorus(shader, 1.5f, 0.5f, 32, 16, 0);
    torus->SetMatrix(CMatrix4x4::GetTranslation({-2.5f, 0.0f, 0.0f}));
    CModel* box = Models()->AddModelBox(shader, {-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}, 0);
    // Turned about y so that the front face meets the light at an angle and one side shows.
    box->SetMatrix(CMatrix4x4::GetTranslation({2.5f, 0.0f, 0.0f}) * CMatrix4x4::GetRotationY(0.5f));
    Render();

    // The tube's crest faces the light fully; its flank further out catches less of it.
    SPixel const crest = At({-2.5f + 1.5f, 0.0f, 0.5f});
    SPixel const flank = At({-2.5f + 1.5f + 0.45f, 0.0f, 0.2f});
    EXPECT_GT(crest.Brightness(), 600);
    EXPECT_LT(flank.Brightness(), crest.Brightness() - 60);
    EXPECT_GT(flank.Brightness(), 0);
    // The hole shows the clear colour.
    EXPECT_EQ(At({-2.5f, 0.0f, 0.0f}).Brightness(), 0);

    // Front face at 0.5 rad from the light: cos 0.5 of full white.
    SPixel const front = At({2.5f + std::sin(0.5f) * 1.0f - 0.2f, 0.0f, std::cos(0.5f) * 1.0f});
    EXPECT_NEAR(front.r, 255 * std::cos(0.5f), 12);
    EXPECT_EQ(front.r, front.b);

    // Turning the light away darkens everything drawn.
    light->SetDirection({0.0f, 0.0f, 1.0f});
    Render();
    EXPECT_LT(At({-2.5f + 1.5f, 0.0f, 0.5f}).Brightness(), 30);
    EXPECT_LT(At({2.5f + std::sin(0.5f) - 0.2f, 0.0f, std::cos(0.5f)}).Brightness(), 30);
}
} // namespace

namespace
{
// A wall kept as background, lit face on, and two boxes turned from the light (so they show
// darker): one in front, one hidden behind the wall. Frames drawn from the kept copy show the
// wall where the front box was and still hide the box behind it; a moved wall is drawn afresh.
TEST_F(ModelRenderTest, FramesFromTheKeptBackgroundMatchFreshOnes)
{
    AddWhiteLightOnly({0.0f, 0.0f, -1.0f});
    CShaderDescriptor const shader = MakeShader();
    CModel* wall = Models()->AddModelBox(shader, {-4.0f, -3.0f, -2.0f}, {4.0f, 3.0f, -1.0f}, 0);
    wall->AddProperties(MP_BACKGROUND);
    CMatrix4x4 const turn = CMatrix4x4::GetRotationY(0.8f);
    CModel* front = Models()->AddModelBox(shader, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 0);
    front->SetMatrix(CMatrix4x4::GetTranslation({-2.0f, 0.0f, 1.0f}) * turn);
    CModel* behind = Models()->AddModelBox(shader, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 0);
    behind->SetMatrix(CMatrix4x4::GetTranslation({2.0f, 0.0f, -3.0f}) * turn);
    // A frame lists the models; the trial draw into a copy of one pixel leaves the window's
    // drawing as it was.
    Render();
    Models()->SetBackgroundKeeping(true);
    Models()->ReadyBackgroundKeeping();
    auto const isWall = [](SPixel const& pixel) { return pixel.r > 240; };
    auto const isBox = [](SPixel const& pixel) { return pixel.r > 100 && pixel.r < 220; };

    Render();
    EXPECT_FALSE(Models()->WasBackgroundRestored());
    EXPECT_TRUE(isBox(At({-2.0f, 0.0f, 1.7f})));
    // What the depth buffer holds after a present is undefined.
    Direct3D()->GetDevice()->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    Render();
    ASSERT_TRUE(Models()->WasBackgroundRestored());
    EXPECT_TRUE(isBox(At({-2.0f, 0.0f, 1.7f})));
    EXPECT_TRUE(isWall(At({2.0f, 0.0f, -1.0f})));

    front->SetMatrix(CMatrix4x4::GetTranslation({2.0f, 1.0f, 1.0f}) * turn);
    Render();
    EXPECT_TRUE(Models()->WasBackgroundRestored());
    EXPECT_TRUE(isWall(At({-2.0f, 0.0f, -1.0f})));
    EXPECT_TRUE(isBox(At({2.0f, 1.0f, 1.7f})));

    wall->SetMatrix(CMatrix4x4::GetTranslation({0.0f, -2.0f, 0.0f}));
    Render();
    EXPECT_FALSE(Models()->WasBackgroundRestored());
    Render();
    EXPECT_TRUE(Models()->WasBackgroundRestored());
    EXPECT_EQ(At({0.0f, 2.5f, -1.0f}).Brightness(), 0);
    EXPECT_TRUE(isWall(At({0.0f, -2.0f, -1.0f})));
}

// The kept wall and box, and a box in front, drawn at half the window's size and stretched over it: the
// frames, fresh and from the kept copy, cover the whole window and look like full-size ones once both are
// blurred; the log says what was drawn.
TEST_F(ModelRenderTest, HalfScaleFramesCoverTheWindowAndMatchFullScaleOnesSoftened)
{
    // Blocks of this many pixels each way are averaged; their channels may differ this much.
    constexpr int Block = 8;
    constexpr int MostBlockDifference = 40;
    constexpr double MostMeanDifference = 1.0;
    AddWhiteLightOnly({0.3f, -0.2f, -1.0f});
    CShaderDescriptor const shader = MakeShader();
    CModel* wall = Models()->AddModelBox(shader, {-9.0f, -7.0f, -2.0f}, {9.0f, 7.0f, -1.0f}, 0);
    wall->AddProperties(MP_BACKGROUND);
    CMatrix4x4 const turn = CMatrix4x4::GetRotationY(0.8f) * CMatrix4x4::GetRotationX(0.4f);
    CModel* low = Models()->AddModelBox(shader, {-0.5f, -0.5f, -0.5f}, {0.5f, 0.5f, 0.5f}, 0);
    low->SetMatrix(CMatrix4x4::GetTranslation({-2.0f, -1.5f, 1.0f}) * turn);
    CModel* corner = Models()->AddModelBox(shader, {-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f}, 0);
    corner->SetMatrix(CMatrix4x4::GetTranslation({4.5f, 3.2f, 0.0f}) * turn);
    corner->AddProperties(MP_BACKGROUND);
    Render();
    Models()->SetBackgroundKeeping(true);
    Models()->ReadyBackgroundKeeping();
    auto const renderTwice = [this] {
        Render(); // into a fresh copy
        Render();
        EXPECT_TRUE(Models()->WasBackgroundRestored());
        return frame;
    };
    std::vector<std::uint32_t> const full = renderTwice();
    Direct3D()->SetRenderScale(0.5f);
    EXPECT_TRUE(
        HasMessage(MT_MESSAGE, "Render scale 0.50: frames drawn at 320x240 and stretched to 640x480"));
    EXPECT_FLOAT_EQ(Direct3D()->GetRenderScale(), 0.5f);
    std::vector<std::uint32_t> const half = renderTwice();
    ASSERT_EQ(full.size(), std::size_t(640) * 480);
    ASSERT_EQ(half.size(), full.size());
    EXPECT_NE(half, full) << "the smaller frame is softer";

    auto const blockMean = [this](std::vector<std::uint32_t> const& pixels, int bx, int by, int shift) {
        int sum = 0;
        for (int y = by * Block; y < (by + 1) * Block; ++y)
            for (int x = bx * Block; x < (bx + 1) * Block; ++x)
                sum += int((pixels[std::size_t(y) * width + x] >> shift) & 0xFF);
        return sum / (Block * Block);
    };
    int largest = 0;
    double total = 0.0;
    int count = 0;
    for (int by = 0; by < int(height) / Block; ++by) {
        for (int bx = 0; bx < int(width) / Block; ++bx) {
            for (int shift : {0, 8, 16}) {
                int const difference =
                    std::abs(blockMean(full, bx, by, shift) - blockMean(half, bx, by, shift));
                largest = std::max(largest, difference);
                total += difference;
                ++count;
            }
        }
    }
    EXPECT_LE(largest, MostBlockDifference);
    EXPECT_LE(total / count, MostMeanDifference);
}
} // namespace
