#include "support/EngineFixture.h"
#include "support/TankView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "../../plugins/tank/CausticFlow.h"
#include "../../plugins/tank/DayLight.h"
#include "../../plugins/tank/TankCaustics.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/CameraManager.h"
#include "render/LightManager.h"
#include "render/ShaderManager.h"

namespace
{
TEST(CausticFlowTest, BlendsFromOnePictureIntoTheNextAroundTheMeanLight)
{
    // Two pictures of two pixels: dark then bright, and the other way round. Mean light 127.5.
    CCausticFlow flow;
    ASSERT_FALSE(flow.SetFrames(2, 1, {{0, 255}})) << "one picture is no flow";
    ASSERT_FALSE(flow.SetFrames(2, 1, {{0, 255}, {255}})) << "pictures of different sizes";
    ASSERT_TRUE(flow.SetFrames(2, 1, {{0, 255}, {255, 0}}));
    std::uint8_t texels[8] = {};
    // At a picture the light is that picture's: twice the texel is 1 + strength * gain * (light - mean).
    flow.Compose(0.0f, 1.0f, 1.0f, texels, 4);
    EXPECT_NEAR(texels[0], 0.5f * (1.0f - 0.5f) * 255.0f, 1.0f);
    EXPECT_NEAR(texels[4], 0.5f * (1.0f + 0.5f) * 255.0f, 1.0f);
    EXPECT_EQ(texels[3], 0xFF);
    // Between two pictures the light is blended, so it flows without a step: half way it is even.
    flow.Compose(0.5f, 1.0f, 1.0f, texels, 4);
    EXPECT_NEAR(texels[0], texels[4], 1);
    EXPECT_NEAR(texels[0], 128, 2);
    // A quarter of the way on from the last picture leads back into the first.
    flow.Compose(1.75f, 1.0f, 1.0f, texels, 4);
    EXPECT_LT(texels[0], 128);
    flow.Compose(-0.25f, 1.0f, 1.0f, texels, 4);
    EXPECT_LT(texels[0], 128) << "positions before the first picture wrap too";
    // No strength, no pattern: every texel leaves the colour as it is.
    flow.Compose(0.0f, 0.0f, 1.0f, texels, 4);
    EXPECT_EQ(texels[0], 128);
    EXPECT_EQ(texels[4], 128);
}

// The caustics on the OpenGL device, with the generated pictures, lit from straight above.
class TankCausticsTest : public CEngineFixture
{
protected:
    static constexpr float Top = -1.0f;
    static constexpr float Down[3] = {0.0f, 0.0f, -1.0f};

    TankCausticsTest() : CEngineFixture("TankCaustics", false) { engineDirectory = CORALUME_STAGE_DIR; }

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (scripts/with-display)";
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        view.Place(engine, CTankView::GetFirstCamera(engine),
                   {{0.0f, 0.0f, -1.0f}, 0.45f, {0.3f, 0.3f, 0.3f}});
        engine.GetShaderManager()->CreateShaderDescriptor(&shader, 0u);
    }

    void TearDown() override
    {
        caustics.Destroy();
        CEngineFixture::TearDown();
    }

    // A flat slab whose top lies at height Top, its left half at x < 0, its right half beyond.
    CModel* AddSlab(float left, float right)
    {
        return engine.GetModelManager()->AddModelBox(shader, CVector3(left, -3.0f, Top - 0.5f),
                                                     CVector3(right, 3.0f, Top), 0);
    }

    // Brightness along a line across the slab's top from `left` to `right`.
    std::vector<int> Line(float left, float right) const
    {
        std::vector<int> line;
        for (int i = 0; i <= Samples; ++i) {
            float const x = left + (right - left) * static_cast<float>(i) / Samples;
            line.push_back(CTankView::Brightness(view.PixelAt(CVector3(x, 0.0f, Top))));
        }
        return line;
    }
    static int Spread(std::vector<int> const& line)
    {
        auto const [low, high] = std::minmax_element(line.begin(), line.end());
        return *high - *low;
    }
    static int LargestChange(std::vector<int> const& before, std::vector<int> const& after)
    {
        int largest = 0;
        for (std::size_t i = 0; i < before.size(); ++i)
            largest = std::max(largest, std::abs(after[i] - before[i]));
        return largest;
    }

    static constexpr int Samples = 40;
    CTankView view;
    CShaderDescriptor shader;
    CTankCaustics caustics;
};

TEST_F(TankCausticsTest, LitModelsCarryTheFlowingCausticLightAsStrongAsTheSun)
{
    AddSlab(-6.0f, -0.2f);
    AddSlab(0.2f, 6.0f)->RemoveProperties(MP_LIGHTING);
    view.Render(engine);
    int const plain = Spread(Line(-5.5f, -0.7f));
    EXPECT_LE(plain, 6);

    caustics.Create(&engine, Down, 1.0f);
    ASSERT_TRUE(caustics.IsActive());
    view.Render(engine);
    std::vector<int> const noon = Line(-5.5f, -0.7f);
    EXPECT_GT(Spread(noon), 90) << "the lines of light cross the lit slab";
    EXPECT_LE(Spread(Line(0.7f, 5.5f)), 6) << "the unlit slab stays plain";

    // Half a second on, the light has moved a little, never in a jump.
    ASSERT_TRUE(caustics.Refresh(0.5f, 1.0f));
    view.Render(engine);
    std::vector<int> const later = Line(-5.5f, -0.7f);
    EXPECT_GT(LargestChange(noon, later), 20);

    // By night the pattern is faint.
    caustics.Refresh(0.5f, CDayLight::NightCaustics);
    view.Render(engine);
    EXPECT_LT(Spread(Line(-5.5f, -0.7f)), Spread(noon) / 4);

    caustics.Destroy();
    EXPECT_FALSE(engine.GetLightManager()->GetPattern().IsActive());
}

TEST_F(TankCausticsTest, TheKeptBackgroundIsDrawnAgainAsTheCausticsFlow)
{
    CModel* sand = AddSlab(-6.0f, 6.0f);
    sand->AddProperties(MP_BACKGROUND);
    caustics.Create(&engine, Down, 1.0f);
    CModelManager* models = engine.GetModelManager();
    view.Render(engine);
    models->SetBackgroundKeeping(true);
    models->ReadyBackgroundKeeping();
    view.Render(engine);
    EXPECT_FALSE(models->WasBackgroundRestored());
    // What the depth buffer holds after a present is undefined.
    engine.GetDirect3DSubsystem()->GetDevice()->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    view.Render(engine);
    ASSERT_TRUE(models->WasBackgroundRestored());
    std::vector<int> const kept = Line(-5.5f, 5.5f);

    ASSERT_TRUE(caustics.Refresh(0.5f, 1.0f));
    view.Render(engine);
    EXPECT_FALSE(models->WasBackgroundRestored());
    std::vector<int> const repainted = Line(-5.5f, 5.5f);
    EXPECT_GT(LargestChange(kept, repainted), 20);

    // The repainted copy is what a fresh drawing shows.
    engine.GetDirect3DSubsystem()->GetDevice()->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    view.Render(engine);
    EXPECT_TRUE(models->WasBackgroundRestored());
    EXPECT_LE(LargestChange(repainted, Line(-5.5f, 5.5f)), 3);
    models->SetBackgroundKeeping(false);
    view.Render(engine);
    EXPECT_LE(LargestChange(repainted, Line(-5.5f, 5.5f)), 3);
}
} // namespace
