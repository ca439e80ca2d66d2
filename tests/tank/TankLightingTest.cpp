#include "support/EngineFixture.h"

#include <cstdlib>
#include <vector>

#include "../../plugins/tank/TankLighting.h"
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

// A white box lit from above on the OpenGL device, as the tank's sun lights the sand, seen from
// the program's camera.
class TankLightingTest : public CEngineFixture
{
protected:
    TankLightingTest() : CEngineFixture("TankLighting", false) {}

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
        sun = static_cast<int>(lights->AddLight());
        CLight* light = lights->GetLight(static_cast<unsigned int>(sun));
        light->SetType(LT_DIRECTIONAL);
        light->SetDirection({0.3f, 0.35f, -1.0f});
        light->SetAmbientColor({0.0f, 0.0f, 0.0f, 1.0f});
        light->SetSpecularColor({0.0f, 0.0f, 0.0f, 1.0f});
        light->Enable();
        CShaderDescriptor shader;
        engine.GetShaderManager()->CreateShaderDescriptor(&shader, 0u);
        CVector3 const reach(1.0f, 1.0f, 1.0f);
        engine.GetModelManager()->AddModelBox(shader, box - reach, box + reach, 0);
        lighting.Create(&engine, sun);
    }

    void TearDown() override
    {
        lighting.Destroy();
        CEngineFixture::TearDown();
    }

    // The box's front face drawn at local `hour`: red, green and blue.
    CVector3 RenderAt(float hour)
    {
        lighting.Refresh(hour);
        engine.GetDirect3DSubsystem()->GetDevice()->SetFrameKeeping(true);
        engine.BeginFrame();
        engine.FinishFrame();
        D3DPRESENT_PARAMETERS const& parameters = engine.GetDirect3DSubsystem()->GetPresentParameters();
        unsigned int const width = parameters.BackBufferWidth;
        unsigned int const height = parameters.BackBufferHeight;
        std::vector<std::uint32_t> frame(std::size_t(width) * height, 0);
        EXPECT_EQ(engine.GetDirect3DSubsystem()->GetDevice()->GetFrontBuffer(frame.data(), width * 4),
                  D3D_OK);
        CVector3 const face = box - CVector3(0.0f, 1.0f, 0.0f);
        CVector4 const clip = camera->GetClipMatrix() * CVector4(face.x, face.y, face.z, 1.0f);
        auto const x = static_cast<unsigned int>((clip.x / clip.w + 1.0f) * 0.5f * static_cast<float>(width));
        std::uint32_t const pixel = frame[std::size_t(height / 2) * width + x];
        return CVector3(float((pixel >> 16) & 0xFF), float((pixel >> 8) & 0xFF), float(pixel & 0xFF));
    }

    static float Sum(CVector3 const& colour) { return colour.x + colour.y + colour.z; }

    CCamera* camera = nullptr;
    CVector3 const box{0.0f, -10.0f, EyeHeight};
    int sun = -1;
    CTankLighting lighting;
};

TEST_F(TankLightingTest, TheBoxIsDrawnDimBlueAtNightBrightAtNoonAndRedAtDusk)
{
    CVector3 const night = RenderAt(3.0f);
    CVector3 const dawn = RenderAt(7.0f);
    CVector3 const noon = RenderAt(12.0f);
    CVector3 const dusk = RenderAt(19.0f);
    EXPECT_LT(Sum(night), Sum(noon) * 0.35f);
    EXPECT_GT(night.z, night.x + 10.0f);
    EXPECT_GT(Sum(dawn), Sum(night) * 2.0f);
    EXPECT_GT(dawn.x, dawn.z);
    EXPECT_GT(Sum(noon), Sum(dusk) * 1.3f);
    EXPECT_GT(dusk.x, dusk.z + 40.0f);
}

TEST_F(TankLightingTest, LightMovedByLessThanAColourLevelIsHeldBack)
{
    // Dawn eases over many minutes: one second moves the light, but by far less than a level.
    float const dawn = 7.0f;
    float const secondLater = dawn + 1.0f / 3600.0f;
    ASSERT_NE(CDayLight::At(dawn).sun.x, CDayLight::At(secondLater).sun.x);
    CLight const* light = engine.GetLightManager()->GetLight(static_cast<unsigned int>(sun));
    lighting.Refresh(dawn);
    CVector4 const set = light->GetDiffuseColor();
    lighting.Refresh(secondLater);
    EXPECT_EQ(light->GetDiffuseColor().x, set.x);
    lighting.Refresh(dawn + 0.5f);
    EXPECT_NE(light->GetDiffuseColor().x, set.x);
}

} // namespace
