#include "support/EngineFixture.h"
#include "support/TankView.h"

#include <cstdlib>

#include "../../plugins/tank/TankFog.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/CameraManager.h"
#include "render/ShaderManager.h"

namespace
{
// Two grey boxes of one colour on the OpenGL device, one in front of the fog and one deep in it,
// drawn from the program's camera.
class TankFogTest : public CEngineFixture
{
protected:
    TankFogTest() : CEngineFixture("TankFog", false) {}

    void SetUp() override
    {
        if (!std::getenv("DISPLAY"))
            GTEST_SKIP() << "needs a display (scripts/with-display)";
        CEngineFixture::SetUp();
        if (HasFatalFailure())
            return;
        CCameraManager* cameras = engine.GetCameraManager();
        CCamera* camera = cameras->GetCamera(0);
        if (camera->IsFree())
            camera = cameras->GetCamera(cameras->AddCamera(CT_PERSPECTIVE));
        view.Place(engine, camera, {{0.0f, 1.0f, 0.0f}, 0.5f, {0.3f, 0.3f, 0.3f}});
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

    void Render() { view.Render(engine); }
    std::uint32_t PixelAt(CVector3 const& point) const { return view.PixelAt(point); }
    static int FromWater(std::uint32_t pixel) { return CTankView::FromWater(pixel); }
    static int Blueness(std::uint32_t pixel) { return CTankView::Blueness(pixel); }

    CTankView view;
    CVector3 near, far;
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
} // namespace
