#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "camera/RenderHost.h"
#include "core/Errors.h"
#include "render/Camera.h"
#include "render/CameraManager.h"
#include "render/Frustum.h"

namespace
{
constexpr float Pi = std::numbers::pi_v<float>;

class CameraTest : public ::testing::Test
{
protected:
    void SetUp() override { host.Create(true); }
    void TearDown() override { host.Destroy(); }

    CCamera* Add(ECameraType type = CT_PERSPECTIVE)
    {
        return host.cameras.GetCamera(host.cameras.AddCamera(type));
    }

    // The aquarium's opening view: behind the tank, looking along +y.
    CCamera* AddTankCamera()
    {
        CCamera* camera = Add();
        camera->SetPosition(CVector3(0.0f, -18.316f, 2.165f));
        camera->SetAngles(CVector3(1.5707964f, 0.0f, 0.0f));
        camera->SetFOV(57.5f);
        host.cameras.Refresh();
        return camera;
    }

    template <typename Action> std::string FatalText(Action action)
    {
        try {
            action();
        } catch (CFatalError const& error) {
            return error.GetText();
        }
        return "";
    }

    // (p, 1) × view × projection through the device matrices, divided by w.
    static CVector3 DeviceClip(CCamera const& camera, CVector3 const& p)
    {
        auto transform = [](D3DMATRIX const& m, float const in[4], float out[4]) {
            for (int c = 0; c < 4; ++c)
                out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
        };
        float const point[4] = {p.x, p.y, p.z, 1.0f};
        float view[4];
        float clip[4];
        transform(camera.GetViewD3D(), point, view);
        transform(camera.GetProjectionD3D(), view, clip);
        return {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]};
    }

    SRenderHost host;
};

void ExpectNear(CVector3 const& actual, CVector3 const& expected, float tolerance)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

// --- parameters and matrices -------------------------------------------------------------

TEST_F(CameraTest, NewCameraDefaultsAndFieldOfViewTop)
{
    CCamera* camera = Add();
    EXPECT_FLOAT_EQ(camera->GetNearPlaneDistance(), 1.0f);
    EXPECT_FLOAT_EQ(camera->GetFarPlaneDistance(), 1000.0f);
    EXPECT_FLOAT_EQ(camera->GetFOV(), 90.0f);
    EXPECT_FLOAT_EQ(camera->GetScreenWidth(), 1.0f);
    EXPECT_FLOAT_EQ(camera->GetScreenHeight(), 1.0f);
    EXPECT_EQ(camera->GetPosition(), CVector3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(camera->GetAngles(), CVector3(0.0f, 0.0f, 0.0f));
    EXPECT_NEAR(camera->GetTop(), 0.57735f, 1e-5f);

    camera->SetFOV(60.0f);
    camera->SetNearPlaneDistance(2.0f);
    EXPECT_NEAR(camera->GetTop(), 2.0f * std::tan(Pi / 9.0f), 1e-5f);

    camera->Rotate(CVector3(0.5f, 0.25f, 1.0f));
    camera->Rotate(CVector3(0.5f, 0.25f, 1.0f));
    EXPECT_EQ(camera->GetAngles(), CVector3(1.0f, 0.5f, 2.0f));
}

TEST_F(CameraTest, PerspectiveMatricesAndTheZBiasedFarPlane)
{
    CCamera* camera = Add();
    camera->SetNearPlaneDistance(2.0f);
    camera->SetFarPlaneDistance(100.0f);
    camera->Refresh(CCamera::AspectRatio);
    float const top = camera->GetTop();
    float const right = top * 1.3333334f;

    D3DMATRIX const& device = camera->GetProjectionD3D();
    EXPECT_FLOAT_EQ(device._11, 2.0f / right);
    EXPECT_FLOAT_EQ(device._22, 2.0f / top);
    EXPECT_FLOAT_EQ(device._33, 100.0f / 98.0f);
    EXPECT_FLOAT_EQ(device._34, 1.0f);
    EXPECT_FLOAT_EQ(device._43, 200.0f / -98.0f);
    EXPECT_FLOAT_EQ(device._44, 0.0f);
    EXPECT_FLOAT_EQ(device._12, 0.0f);

    D3DMATRIX const& biased = camera->GetProjectionZBiasedD3D();
    EXPECT_FLOAT_EQ(biased._11, device._11);
    EXPECT_FLOAT_EQ(biased._33, 101.0f / 99.0f);
    EXPECT_FLOAT_EQ(biased._43, 202.0f / -99.0f);

    CMatrix4x4 const& engine = camera->GetProjectionMatrix();
    EXPECT_FLOAT_EQ(engine.Get(0, 0), 2.0f / right);
    EXPECT_FLOAT_EQ(engine.Get(1, 1), 2.0f / top);
    EXPECT_FLOAT_EQ(engine.Get(2, 2), -102.0f / 98.0f);
    EXPECT_FLOAT_EQ(engine.Get(2, 3), -1.0f);
    EXPECT_FLOAT_EQ(engine.Get(3, 2), -400.0f / 98.0f);
    EXPECT_FLOAT_EQ(engine.Get(3, 3), 0.0f);

    // The aspect passed in does not change the fixed 4:3 shape.
    camera->Refresh(3.0f);
    EXPECT_FLOAT_EQ(camera->GetProjectionD3D()._11, device._11);
}

TEST_F(CameraTest, OrthographicMatricesCoverTheScreenSize)
{
    CCamera* camera = Add(CT_ORTHOGRAPHIC);
    camera->SetScreenSize(800.0f, 600.0f);
    camera->SetNearPlaneDistance(100.0f);
    camera->SetFarPlaneDistance(-100.0f);
    camera->Refresh(1.0f);

    D3DMATRIX const& device = camera->GetProjectionD3D();
    EXPECT_FLOAT_EQ(device._11, 2.0f / 800.0f);
    EXPECT_FLOAT_EQ(device._22, 2.0f / 600.0f);
    EXPECT_FLOAT_EQ(device._33, 1.0f / 200.0f);
    EXPECT_FLOAT_EQ(device._41, -1.0f);
    EXPECT_FLOAT_EQ(device._42, -1.0f);
    EXPECT_FLOAT_EQ(device._43, 100.0f / 200.0f);
    EXPECT_FLOAT_EQ(device._44, 1.0f);
    EXPECT_FLOAT_EQ(device._34, 0.0f);
    EXPECT_FLOAT_EQ(camera->GetProjectionZBiasedD3D()._33, 1.0f / 199.0f);

    CMatrix4x4 const& engine = camera->GetProjectionMatrix();
    EXPECT_FLOAT_EQ(engine.Get(2, 2), -2.0f / -200.0f);
    EXPECT_FLOAT_EQ(engine.Get(3, 2), 0.0f);
    EXPECT_FLOAT_EQ(engine.Get(3, 3), 1.0f);

    // Screen corners reach the viewport corners.
    host.cameras.SetViewport(0, 0, 800, 600);
    ExpectNear(host.cameras.GetProjectedPoint(camera, CVector3(0.0f, 0.0f, 0.0f)), CVector3(0.0f, 0.0f, 0.5f),
               1e-3f);
    ExpectNear(host.cameras.GetProjectedPoint(camera, CVector3(800.0f, 600.0f, 0.0f)),
               CVector3(800.0f, 600.0f, 0.5f), 1e-3f);
}

TEST_F(CameraTest, DeviceViewIsTheTransposedViewLookingAlongPlusZ)
{
    CCamera* camera = Add();
    camera->SetPosition(CVector3(1.0f, 2.0f, 3.0f));
    camera->Refresh(1.0f);
    D3DMATRIX const& view = camera->GetViewD3D();
    EXPECT_FLOAT_EQ(view._11, 1.0f);
    EXPECT_FLOAT_EQ(view._22, 1.0f);
    EXPECT_FLOAT_EQ(view._33, -1.0f);
    EXPECT_FLOAT_EQ(view._41, -1.0f);
    EXPECT_FLOAT_EQ(view._42, -2.0f);
    EXPECT_FLOAT_EQ(view._43, 3.0f);
    EXPECT_FLOAT_EQ(view._44, 1.0f);
    EXPECT_FLOAT_EQ(camera->GetModelViewMatrix().Get(2, 3), -3.0f);
}

TEST_F(CameraTest, DeviceAndEngineProjectionsAgree)
{
    CCamera* camera = AddTankCamera();
    camera->Rotate(CVector3(0.2f, 0.0f, -0.4f));
    host.cameras.Refresh();
    for (CVector3 const& p :
         {CVector3(0.0f, 0.0f, 2.0f), CVector3(3.0f, -5.0f, 1.0f), CVector3(-4.0f, 10.0f, 6.0f)}) {
        CVector3 const device = DeviceClip(*camera, p);
        CVector3 const engine = host.cameras.GetProjectedPoint(camera, p);
        EXPECT_NEAR((device.x * 0.5f + 0.5f) * 640.0f, engine.x, 1e-2f);
        EXPECT_NEAR((device.y * 0.5f + 0.5f) * 480.0f, engine.y, 1e-2f);
        EXPECT_GT(device.z, 0.0f);
        EXPECT_LT(device.z, 1.0f);
    }
}

// --- projection and unprojection -------------------------------------------------------------

TEST_F(CameraTest, ProjectionPutsTheViewAxisAtTheViewportCentreWithYUp)
{
    CCamera* camera = AddTankCamera();
    unsigned int const* viewport = host.cameras.GetViewport();
    EXPECT_EQ(viewport[0], 0u);
    EXPECT_EQ(viewport[1], 0u);
    EXPECT_EQ(viewport[2], 640u);
    EXPECT_EQ(viewport[3], 480u);

    CVector3 const ahead = host.cameras.GetProjectedPoint(0u, CVector3(0.0f, 0.0f, 2.165f));
    EXPECT_NEAR(ahead.x, 320.0f, 1e-3f);
    EXPECT_NEAR(ahead.y, 240.0f, 1e-3f);
    EXPECT_GT(ahead.z, 0.5f);
    EXPECT_LT(ahead.z, 1.0f);

    CVector3 const rightUp = host.cameras.GetProjectedPoint(camera, CVector3(1.0f, 0.0f, 3.165f));
    EXPECT_GT(rightUp.x, 320.0f);
    EXPECT_GT(rightUp.y, 240.0f);

    // A point on the near plane has depth 0; one on the far plane depth 1.
    EXPECT_NEAR(host.cameras.GetProjectedPoint(camera, CVector3(0.0f, -17.316f, 2.165f)).z, 0.0f, 1e-4f);
    EXPECT_NEAR(host.cameras.GetProjectedPoint(camera, CVector3(0.0f, 981.684f, 2.165f)).z, 1.0f, 1e-4f);
}

TEST_F(CameraTest, UnprojectionInvertsProjection)
{
    CCamera* camera = AddTankCamera();
    camera->Rotate(CVector3(-0.3f, 0.0f, 0.7f));
    camera->SetPosition(CVector3(4.0f, -12.0f, -1.5f));
    host.cameras.Refresh();
    host.cameras.SetViewport(30, 20, 500, 400);
    for (CVector3 const& p : {CVector3(0.0f, 0.0f, 0.0f), CVector3(3.0f, 2.0f, 1.0f),
                              CVector3(-6.0f, 20.0f, 4.0f), CVector3(10.0f, 5.0f, -3.0f)}) {
        CVector3 const projected = host.cameras.GetProjectedPoint(camera, p);
        ExpectNear(host.cameras.GetUnprojectedPoint(camera, projected), p, 2e-3f);
        ExpectNear(host.cameras.GetUnprojectedPoint(0u, projected), p, 2e-3f);
    }

    // Depths 0 and 1 at one pixel give two points on the ray through it.
    CVector3 const nearPoint = host.cameras.GetUnprojectedPoint(camera, CVector3(280.0f, 220.0f, 0.0f));
    CVector3 const farPoint = host.cameras.GetUnprojectedPoint(camera, CVector3(280.0f, 220.0f, 1.0f));
    EXPECT_NEAR((nearPoint - camera->GetPosition()).GetLength(), 1.0f, 0.2f);
    EXPECT_NEAR(host.cameras.GetProjectedPoint(camera, farPoint).x, 280.0f, 0.05f);
}

TEST_F(CameraTest, OrthographicUnprojectionInvertsProjection)
{
    CCamera* camera = Add(CT_ORTHOGRAPHIC);
    camera->SetScreenSize(800.0f, 600.0f);
    camera->SetNearPlaneDistance(100.0f);
    camera->SetFarPlaneDistance(-100.0f);
    host.cameras.Refresh();
    CVector3 const p(123.0f, 456.0f, 7.0f);
    ExpectNear(host.cameras.GetUnprojectedPoint(camera, host.cameras.GetProjectedPoint(camera, p)), p, 1e-3f);
}

// --- frustum ---------------------------------------------------------------------------------

TEST_F(CameraTest, PointsOnAFrustumPlaneAreOutside)
{
    // Near 1 and far 3 keep the plane coefficients exact.
    CCamera* camera = Add();
    camera->SetFarPlaneDistance(3.0f);
    camera->Refresh(CCamera::AspectRatio);
    CFrustum const& frustum = camera->GetFrustum();
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(0.0f, 0.0f, -1.0f)));
    EXPECT_TRUE(frustum.IsInFrustum(CVector3(0.0f, 0.0f, -1.001f)));
    EXPECT_TRUE(frustum.IsInFrustum(CVector3(0.0f, 0.0f, -2.999f)));
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(0.0f, 0.0f, -3.0f)));
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(0.0f, 0.0f, 5.0f)));
    EXPECT_NEAR(frustum.GetPlane(CFrustum::FP_NEAR).GetC(), -1.0f, 1e-6f);
    EXPECT_NEAR(frustum.GetPlane(CFrustum::FP_FAR).GetD(), 3.0f, 1e-6f);

    // Side planes: at depth 2 the view reaches 2·right sideways and 2·top up and down.
    float const side = 2.0f * camera->GetTop() * 1.3333334f;
    EXPECT_TRUE(frustum.IsInFrustum(CVector3(side * 0.99f, 0.0f, -2.0f)));
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(side * 1.01f, 0.0f, -2.0f)));
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(-side * 1.01f, 0.0f, -2.0f)));
    EXPECT_TRUE(frustum.IsInFrustum(CVector3(0.0f, -2.0f * camera->GetTop() * 0.99f, -2.0f)));
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(0.0f, -2.0f * camera->GetTop() * 1.01f, -2.0f)));
}

TEST_F(CameraTest, FrustumFollowsAMovedAndTurnedCamera)
{
    CCamera* camera = AddTankCamera();
    CFrustum const& frustum = camera->GetFrustum();
    CVector3 const position = camera->GetPosition();
    EXPECT_FALSE(frustum.IsInFrustum(position + CVector3(0.0f, 1.0f, 0.0f)));
    EXPECT_TRUE(frustum.IsInFrustum(position + CVector3(0.0f, 1.01f, 0.0f)));
    EXPECT_TRUE(frustum.IsInFrustum(CVector3(0.0f, 0.0f, 0.0f)));
    EXPECT_FALSE(frustum.IsInFrustum(position - CVector3(0.0f, 5.0f, 0.0f)));
    EXPECT_FALSE(frustum.IsInFrustum(CVector3(40.0f, 0.0f, 0.0f)));

    // Every point the frustum accepts projects inside the viewport.
    for (float x = -20.0f; x <= 20.0f; x += 2.5f) {
        for (float z = -20.0f; z <= 20.0f; z += 2.5f) {
            CVector3 const p(x, 5.0f, z);
            CVector3 const s = host.cameras.GetProjectedPoint(camera, p);
            bool const onScreen = s.x > 0.0f && s.x < 640.0f && s.y > 0.0f && s.y < 480.0f;
            EXPECT_EQ(frustum.IsInFrustum(p), onScreen) << x << ", " << z;
        }
    }
}

TEST_F(CameraTest, BoxTouchingAPlaneFromOutsideIsOutside)
{
    CFrustum frustum;
    frustum.Create();
    frustum.Refresh(CMatrix4x4::GetIdentity(), CMatrix4x4::GetIdentity());
    // The near plane of the identity volume is z = −1; these boxes have radius 0.5.
    EXPECT_FALSE(frustum.IsInFrustum(CBoundingBox(CVector3(0.0f, 0.0f, -2.0f), CVector3(0.0f, 0.0f, -1.0f))));
    EXPECT_TRUE(
        frustum.IsInFrustum(CBoundingBox(CVector3(0.0f, 0.0f, -1.98f), CVector3(0.0f, 0.0f, -0.98f))));
    EXPECT_TRUE(frustum.IsInFrustum(CBoundingBox(CVector3(-5.0f), CVector3(5.0f))));
    EXPECT_FALSE(frustum.IsInFrustum(CBoundingBox(CVector3(3.0f, 0.0f, 0.0f), CVector3(4.0f, 0.0f, 0.0f))));
}

// --- camera manager ----------------------------------------------------------------------------

TEST_F(CameraTest, ApplyingTheSameCameraTwiceInAFrameSendsItOnce)
{
    CCamera* first = Add();
    CCamera* second = Add();
    host.cameras.Refresh();
    host.fakeRuntime.ClearCalls();
    host.cameras.ApplyCamera(first, false);
    host.cameras.ApplyCamera(first, false);
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetTransform("), 2u);
    EXPECT_FLOAT_EQ(host.FakeDevice()->transforms[D3DTS_PROJECTION]._33, first->GetProjectionD3D()._33);

    host.cameras.ApplyCamera(first, true);
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetTransform("), 4u);
    EXPECT_FLOAT_EQ(host.FakeDevice()->transforms[D3DTS_PROJECTION]._33,
                    first->GetProjectionZBiasedD3D()._33);

    host.cameras.ApplyCamera(second, true);
    host.cameras.ApplyCamera(second, true);
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetTransform("), 6u);

    host.cameras.Refresh();
    host.cameras.ApplyCamera(second, true);
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetTransform(2)"), 4u);
    EXPECT_EQ(host.fakeRuntime.CountCalls("SetTransform(3)"), 4u);
}

TEST_F(CameraTest, DeviceFailureWhileApplyingIsFatal)
{
    CCamera* camera = Add();
    host.cameras.Refresh();
    host.FakeDevice()->failures["SetTransform"] = E_FAIL;
    EXPECT_EQ(FatalText([&] { camera->Apply(); }), "Direct3D Subsystem (Camera::Apply): E_FAIL");
    EXPECT_EQ(FatalText([&] { camera->ApplyZBiased(); }),
              "Direct3D Subsystem (Camera::ApplyZBiased): E_FAIL");
}

TEST_F(CameraTest, SlotsAreTakenFirstFreeFirstAndThePoolHas32)
{
    EXPECT_EQ(host.cameras.AddCamera(CT_PERSPECTIVE), 0u);
    EXPECT_EQ(host.cameras.AddCamera(CT_ORTHOGRAPHIC), 1u);
    EXPECT_EQ(host.cameras.AddCamera(CT_PERSPECTIVE), 2u);
    EXPECT_FALSE(host.cameras.GetCamera(1)->IsPerspective());
    host.cameras.RemoveCamera(1);
    EXPECT_TRUE(host.cameras.GetCamera(1)->IsFree());
    EXPECT_EQ(host.cameras.AddCamera(CT_PERSPECTIVE), 1u);
    EXPECT_TRUE(host.cameras.GetCamera(1)->IsPerspective());
    for (unsigned int i = 3; i < CCameraManager::MaxCameras; ++i)
        EXPECT_EQ(host.cameras.AddCamera(CT_PERSPECTIVE), i);
    EXPECT_EQ(host.cameras.GetCamerasCount(), 32u);
    EXPECT_EQ(host.cameras.GetCamera(32), nullptr);
    EXPECT_EQ(FatalText([&] { host.cameras.AddCamera(CT_PERSPECTIVE); }),
              "Camera Manager: buffer is overflowed");

    host.cameras.Destroy();
    EXPECT_TRUE(host.cameras.GetCamera(0)->IsFree());
}
} // namespace
