#include "support/EngineFixture.h"
#include "support/TankView.h"

#include <cstdlib>
#include <string>

#include "../../plugins/tank/TankFog.h"
#include "../../plugins/tank/TankLayout.h"
#include "../../plugins/tank/TankShadows.h"
#include "core/Config.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/CameraManager.h"
#include "render/ShaderManager.h"

namespace
{
// The program's view of the tank on the OpenGL device, with the generated data.
class TankPictureTest : public CEngineFixture
{
protected:
    TankPictureTest() : CEngineFixture("TankPicture", false) { engineDirectory = CORALUME_STAGE_DIR; }

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (scripts/with-display)";
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        view.Place(engine, CTankView::GetFirstCamera(engine), {{0.0f, 1.0f, 0.0f}, 0.5f, {0.3f, 0.3f, 0.3f}});
    }

    void Render() { view.Render(engine); }
    std::uint32_t PixelAt(CVector3 const& point) const { return view.PixelAt(point); }
    static int FromWater(std::uint32_t pixel) { return CTankView::FromWater(pixel); }
    static int Blueness(std::uint32_t pixel) { return CTankView::Blueness(pixel); }

    CTankView view;
};

// Two grey boxes of one colour, one in front of the fog and one deep in it.
class TankFogTest : public TankPictureTest
{
protected:
    void SetUp() override
    {
        TankPictureTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        CShaderDescriptor shader;
        engine.GetShaderManager()->CreateShaderDescriptor(&shader, 0u);
        near = AddBox(shader, CVector3(-2.0f, -10.0f, CTankView::EyeHeight), 0.6f);
        far = AddBox(shader, CVector3(6.0f, 20.0f, CTankView::EyeHeight), 2.4f);
    }

    CVector3 AddBox(CShaderDescriptor const& shader, CVector3 const& centre, float half)
    {
        CVector3 const reach(half, half, half);
        engine.GetModelManager()->AddModelBox(shader, centre - reach, centre + reach, 0);
        return centre - CVector3(0.0f, half, 0.0f);
    }

    CVector3 near, far;
};

// Fish the school publishes, low and high over the sand, with the light falling straight down.
class TankShadowsTest : public TankPictureTest
{
protected:
    static constexpr float LowHeight = 0.5f;
    static constexpr float HighHeight = 6.0f;

    void SetUp() override
    {
        TankPictureTest::SetUp();
        if (HasFatalFailure() || IsSkipped())
            return;
        CConfig* config = engine.GetConfig();
        config->CreateCommand("g_fishes_count", CCT_INT, true, false, &count, "2");
        char const* const axes[3] = {"x", "y", "z"};
        for (unsigned int fish = 0; fish < 2; ++fish) {
            for (int axis = 0; axis < 3; ++axis) {
                std::string const name = "g_fish_" + std::to_string(fish) + "_position_" + axes[axis];
                config->CreateCommand(name.c_str(), CCT_FLOAT, true, false, &positions[fish][axis], "0");
            }
        }
        Put(0, low, LowHeight);
        Put(1, high, HighHeight);
        shadows.Create(&engine, CVector3(0.0f, 0.0f, -1.0f), {});
        shadows.Refresh();
    }

    void TearDown() override
    {
        shadows.Destroy();
        TankPictureTest::TearDown();
    }

    void Put(unsigned int fish, CVector3 const& sand, float height)
    {
        positions[fish][0] = sand.x;
        positions[fish][1] = sand.y;
        positions[fish][2] = tank::GetFloorHeight(sand.x, sand.y) + height;
    }

    // The point of the sand `dx` to the side of `sand`.
    static CVector3 OnSand(CVector3 const& sand, float dx)
    {
        return CVector3(sand.x + dx, sand.y, tank::GetFloorHeight(sand.x + dx, sand.y) + CTankShadows::Lift);
    }

    int count = 0;
    float positions[2][3] = {};
    CVector3 const low{-3.0f, 1.0f, 0.0f};
    CVector3 const high{3.0f, 1.0f, 0.0f};
    CTankShadows shadows;
};

TEST_F(TankFogTest, AFarBoxIsDrawnBluerThanANearOneOfTheSameColour)
{
    Render();
    std::uint32_t const nearClear = PixelAt(near);
    std::uint32_t const farClear = PixelAt(far);
    // Without fog both faces show the same grey.
    EXPECT_NEAR(Blueness(nearClear), Blueness(farClear), 6);
    ASSERT_GT(FromWater(farClear), 100);

    CTankFog::Apply(engine.GetDirect3DSubsystem(), CTankView::GetWater());
    Render();
    std::uint32_t const nearFogged = PixelAt(near);
    std::uint32_t const farFogged = PixelAt(far);
    // In front of the fog nothing changes; deep in it the face has faded most of the way into
    // the water.
    EXPECT_NEAR(FromWater(nearFogged), FromWater(nearClear), 8);
    EXPECT_LT(FromWater(farFogged), FromWater(farClear) / 2);
    EXPECT_GT(Blueness(farFogged), Blueness(nearFogged) + 40);

    // Removed, the far face is grey again.
    CTankFog::Remove(engine.GetDirect3DSubsystem());
    Render();
    EXPECT_NEAR(FromWater(PixelAt(far)), FromWater(farClear), 8);
}
TEST_F(TankShadowsTest, AFishShadowFadesAndWidensWithHeight)
{
    Render();
    int const lowCentre = FromWater(PixelAt(OnSand(low, 0.0f)));
    int const highCentre = FromWater(PixelAt(OnSand(high, 0.0f)));
    // Close over the sand the shadow is dark; high above it, faint.
    EXPECT_GT(lowCentre, 60);
    EXPECT_GT(highCentre, 5);
    EXPECT_LT(highCentre, lowCentre / 2);
    // Beyond the low shadow's reach the water is untouched; the high one reaches further.
    float const beyond = CTankShadows::GetRadius(LowHeight) * 1.1f;
    EXPECT_LT(FromWater(PixelAt(OnSand(low, beyond))), 3);
    EXPECT_GT(FromWater(PixelAt(OnSand(high, beyond))), 3);
    // Darkened, not tinted: less of every channel.
    EXPECT_LT(CTankView::Brightness(PixelAt(OnSand(low, 0.0f))),
              CTankView::WaterRed + CTankView::WaterGreen + CTankView::WaterBlue);
}
} // namespace
