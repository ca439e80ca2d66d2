#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "camera/RenderHost.h"
#include "core/Errors.h"
#include "render/Light.h"
#include "render/LightManager.h"

namespace
{
class LightTest : public ::testing::Test
{
protected:
    void SetUp() override { host.Create(true); }
    void TearDown() override { host.Destroy(); }

    FakeDirect3DDevice8& Device() { return *host.FakeDevice(); }

    template <typename Action> std::string FatalText(Action action)
    {
        try {
            action();
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }

    SRenderHost host;
};

TEST_F(LightTest, GlobalAmbientIsPackedWithTruncatedChannels)
{
    EXPECT_EQ(CLightManager::PackAmbient(CVector3(1.0f, 1.0f, 1.0f)), 0xFFFFFFFFu);
    EXPECT_EQ(CLightManager::PackAmbient(CVector3(0.5f, 0.5f, 0.5f)), 0xFF7F7F7Fu);
    EXPECT_EQ(CLightManager::PackAmbient(CVector3(0.0f, 0.2f, 1.0f)), 0xFF0033FFu);
    // Out-of-range channels stay within their byte.
    EXPECT_EQ(CLightManager::PackAmbient(CVector3(1.2f, -0.5f, 0.0f)), 0xFFFF0000u);

    host.lights.SetGlobalAmbient(CVector3(0.5f, 0.5f, 0.5f));
    host.lights.Refresh();
    EXPECT_EQ(Device().renderStates[D3DRS_AMBIENT], 0xFF7F7F7Fu);
    EXPECT_EQ(host.lights.GetGlobalAmbient(), CVector3(0.5f, 0.5f, 0.5f));
}

TEST_F(LightTest, EachLightTypeReachesItsSlot)
{
    unsigned int const directional = host.lights.AddLight();
    unsigned int const spot = host.lights.AddLight();
    unsigned int const point = host.lights.AddLight();
    ASSERT_EQ(directional, 0u);
    ASSERT_EQ(spot, 1u);
    ASSERT_EQ(point, 2u);

    CLight* sun = host.lights.GetLight(directional);
    sun->SetDirection(CVector3(0.0f, 0.6f, -0.8f));
    sun->SetDiffuseColor(CVector4(0.9f, 0.8f, 0.7f, 1.0f));
    CLight* lamp = host.lights.GetLight(spot);
    lamp->SetType(LT_SPOT);
    lamp->SetPosition(CVector3(1.0f, 2.0f, 3.0f));
    lamp->SetDirection(CVector3(0.0f, 0.0f, -1.0f));
    lamp->SetSpotCutOff(0.5f);
    lamp->SetAttenuation(LAT_LINEAR, 0.25f);
    lamp->SetAttenuation(LAT_QUADRATIC, 0.125f);
    CLight* bulb = host.lights.GetLight(point);
    bulb->SetType(LT_POINT);
    bulb->SetPosition(CVector3(-1.0f, 0.0f, 4.0f));
    bulb->SetAmbientColor(CVector4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(bulb->GetLightIndex(), 2u);

    host.lights.Refresh();
    float const range = std::sqrt(std::numeric_limits<float>::max());

    D3DLIGHT8 const& d = Device().lights[0];
    EXPECT_EQ(d.Type, D3DLIGHT_DIRECTIONAL);
    EXPECT_FLOAT_EQ(d.Direction.y, 0.6f);
    EXPECT_FLOAT_EQ(d.Diffuse.g, 0.8f);
    EXPECT_FLOAT_EQ(d.Range, range);
    EXPECT_FLOAT_EQ(d.Position.x, 0.0f);

    D3DLIGHT8 const& s = Device().lights[1];
    EXPECT_EQ(s.Type, D3DLIGHT_SPOT);
    EXPECT_FLOAT_EQ(s.Position.z, 3.0f);
    EXPECT_FLOAT_EQ(s.Direction.z, -1.0f);
    EXPECT_FLOAT_EQ(s.Theta, 0.5f);
    EXPECT_FLOAT_EQ(s.Phi, 0.5f);
    EXPECT_FLOAT_EQ(s.Falloff, 1.0f);
    EXPECT_FLOAT_EQ(s.Attenuation0, 1.0f);
    EXPECT_FLOAT_EQ(s.Attenuation1, 0.25f);
    EXPECT_FLOAT_EQ(s.Attenuation2, 0.125f);

    D3DLIGHT8 const& p = Device().lights[2];
    EXPECT_EQ(p.Type, D3DLIGHT_POINT);
    EXPECT_FLOAT_EQ(p.Position.x, -1.0f);
    EXPECT_FLOAT_EQ(p.Ambient.b, 0.3f);
    EXPECT_FLOAT_EQ(p.Direction.z, 0.0f);
    EXPECT_FLOAT_EQ(p.Theta, 0.0f);

    for (DWORD i = 0; i < 3; ++i)
        EXPECT_TRUE(Device().lightsEnabled[i]) << i;
    EXPECT_EQ(Device().lightsEnabled.count(3), 0u);
}

TEST_F(LightTest, DisabledLightOnlySwitchesItsSlotOff)
{
    CLight* light = host.lights.GetLight(host.lights.AddLight());
    light->Disable();
    host.fakeRuntime.ClearCalls();
    host.lights.Refresh();
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetLight("), 0u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("LightEnable(0,0)"), 1u);

    light->Enable();
    host.lights.Refresh();
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetLight(0,3)"), 1u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("LightEnable(0,1)"), 1u);

    // A removed light does not stay lit on the device.
    host.lights.RemoveLight(0);
    EXPECT_FALSE(Device().lightsEnabled[0]);
}

TEST_F(LightTest, NinthLightIsFatalAndFreedSlotsAreReused)
{
    for (unsigned int i = 0; i < CLightManager::MaxLights; ++i)
        EXPECT_EQ(host.lights.AddLight(), i);
    EXPECT_EQ(FatalText([&] { host.lights.AddLight(); }), "Light Manager: buffer is overflowed");
    host.lights.RemoveLight(5);
    EXPECT_EQ(host.lights.GetLightsCount(), 7u);
    EXPECT_EQ(host.lights.AddLight(), 5u);
    EXPECT_EQ(host.lights.GetLight(5)->GetLightIndex(), 5u);
    EXPECT_EQ(host.lights.GetLight(8), nullptr);
}

TEST_F(LightTest, LightingSwitchAndDeviceReset)
{
    host.direct3D.Refresh();
    host.lights.Enable(true);
    EXPECT_EQ(Device().renderStates[D3DRS_LIGHTING], 1u);
    host.lights.Enable(false);
    EXPECT_EQ(Device().renderStates[D3DRS_LIGHTING], 0u);
    host.lights.Enable(true);

    Device().cooperativeLevelResults = {D3DERR_DEVICENOTRESET, D3D_OK};
    host.direct3D.Refresh();
    ASSERT_TRUE(host.direct3D.WasDeviceLost());
    host.lights.Refresh();
    EXPECT_EQ(Device().renderStates[D3DRS_LIGHTING], 0u);
}

TEST_F(LightTest, DeviceFailuresAreFatal)
{
    host.lights.AddLight();
    Device().failures["SetLight"] = E_FAIL;
    EXPECT_EQ(FatalText([&] { host.lights.Refresh(); }), "Direct3D Subsystem (Light::Refresh): E_FAIL");
    Device().failures.clear();
    Device().failures["SetRenderState"] = E_FAIL;
    EXPECT_EQ(FatalText([&] { host.lights.Refresh(); }),
              "Direct3D Subsystem (LightManager::Refresh): E_FAIL");
}
} // namespace
