#include "support/EngineFixture.h"

#include <cstdlib>
#include <vector>

#include "../../plugins/tank/TankFog.h"
#include "model/Model.h"
#include "model/ModelManager.h"
#include "render/CameraManager.h"
#include "render/Direct3DSubsystem.h"
#include "render/Light.h"
#include "render/LightManager.h"
#include "render/ShaderManager.h"

namespace
{
CVector4 const Water(94.0f / 255.0f, 174.0f / 255.0f, 243.0f / 255.0f, 1.0f);
constexpr float EyeHeight = 2.165f;

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
        camera = cameras->GetCamera(0);
        if (camera->IsFree())
            camera = cameras->GetCamera(cameras->AddCamera(CT_PERSPECTIVE));
        camera->SetPosition(CVector3(0.0f, -18.316f, EyeHeight));
        camera->SetAngles(CVector3(1.5707964f, 0.0f, 0.0f));
        camera->SetFOV(57.5f);
        engine.GetModelManager()->SetClearColor(Water);
        CLightManager* lights = engine.GetLightManager();
        CLight* light = lights->GetLight(lights->AddLight());
        light->SetType(LT_DIRECTIONAL);
        light->SetDirection({0.0f, 1.0f, 0.0f});
        light->SetDiffuseColor({0.5f, 0.5f, 0.5f, 1.0f});
        light->SetAmbientColor({0.0f, 0.0f, 0.0f, 1.0f});
        light->SetSpecularColor({0.0f, 0.0f, 0.0f, 1.0f});
        light->Enable();
        lights->SetGlobalAmbient({0.3f, 0.3f, 0.3f});
        CShaderDescriptor shader;
        engine.GetShaderManager()->CreateShaderDescriptor(&shader, 0u);
        near = AddBox(shader, CVector3(-2.0f, -10.0f, EyeHeight), 0.6f);
        far = AddBox(shader, CVector3(6.0f, 20.0f, EyeHeight), 2.4f);
    }

    CVector3 AddBox(CShaderDescriptor const& shader, CVector3 const& centre, float half)
    {
        CVector3 const reach(half, half, half);
        engine.GetModelManager()->AddModelBox(shader, centre - reach, centre + reach, 0);
        return centre - CVector3(0.0f, half, 0.0f);
    }

    void Render()
    {
        engine.GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
        engine.BeginFrame();
        engine.FinishFrame();
        D3DPRESENT_PARAMETERS const& parameters = engine.GetDirect3DSubsystem()->GetPresentParameters();
        width = parameters.BackBufferWidth;
        height = parameters.BackBufferHeight;
        frame.assign(std::size_t(width) * height, 0);
        ASSERT_EQ(engine.GetDirect3DSubsystem()->GetDevice()->GetFrontBuffer(frame.data(), width * 4),
                  D3D_OK);
    }

    // The pixel where the front face's centre is drawn (at eye height, so on the middle row).
    std::uint32_t PixelAt(CVector3 const& point) const
    {
        CVector4 const clip = camera->GetClipMatrix() * CVector4(point.x, point.y, point.z, 1.0f);
        auto const x = static_cast<unsigned int>((clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(width));
        return frame[std::size_t(height / 2) * width + x];
    }

    static int Channel(std::uint32_t pixel, int shift) { return int((pixel >> shift) & 0xFF); }
    // How far a pixel's colour lies from the water's.
    static int FromWater(std::uint32_t pixel)
    {
        return std::abs(Channel(pixel, 16) - 94) + std::abs(Channel(pixel, 8) - 174) +
               std::abs(Channel(pixel, 0) - 243);
    }
    // Blue over red: the bluer, the larger.
    static int Blueness(std::uint32_t pixel) { return Channel(pixel, 0) - Channel(pixel, 16); }

    CCamera* camera = nullptr;
    CVector3 near, far;
    unsigned int width = 0, height = 0;
    std::vector<std::uint32_t> frame;
};

TEST_F(TankFogTest, AFarBoxIsDrawnBluerThanANearOneOfTheSameColour)
{
    Render();
    std::uint32_t const nearClear = PixelAt(near);
    std::uint32_t const farClear = PixelAt(far);
    // Without fog both faces show the same grey.
    EXPECT_NEAR(Blueness(nearClear), Blueness(farClear), 6);
    ASSERT_GT(FromWater(farClear), 100);

    CTankFog::Apply(engine.GetDirect3DSubsystem(), Water);
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
