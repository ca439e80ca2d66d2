#include "CameraControl.h"

#include "render/Camera.h"

#include <gtest/gtest.h>

namespace
{
constexpr float HalfPi = 1.5707964f;

void ExpectNear(CVector3 const& actual, CVector3 const& expected, float tolerance = 1e-3f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

class CameraControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_camera.SetPosition(CVector3(0.0f, -18.316f, 2.165f));
        m_camera.SetAngles(CVector3(HalfPi, 0.0f, 0.0f));
    }
    SCameraInput Keys(std::initializer_list<ECameraMove> moves, bool accelerate = false)
    {
        SCameraInput input;
        input.accelerate = accelerate;
        for (ECameraMove move : moves)
            input.moves[move] = true;
        return input;
    }

    CCamera m_camera;
    CCameraMover m_mover;
};
} // namespace

TEST_F(CameraControlTest, StartCameraAxes)
{
    CVector3 const angles(HalfPi, 0.0f, 0.0f);
    ExpectNear(CCameraMover::GetDirection(CM_FORWARD, angles), CVector3(0.0f, 1.0f, 0.0f));
    ExpectNear(CCameraMover::GetDirection(CM_BACKWARD, angles), CVector3(0.0f, -1.0f, 0.0f));
    ExpectNear(CCameraMover::GetDirection(CM_RIGHT, angles), CVector3(1.0f, 0.0f, 0.0f));
    ExpectNear(CCameraMover::GetDirection(CM_LEFT, angles), CVector3(-1.0f, 0.0f, 0.0f));
    ExpectNear(CCameraMover::GetDirection(CM_UP, angles), CVector3(0.0f, 0.0f, 1.0f));
    ExpectNear(CCameraMover::GetDirection(CM_DOWN, angles), CVector3(0.0f, 0.0f, -1.0f));
}

TEST_F(CameraControlTest, TurnedCameraMovesAlongItsView)
{
    // Looking straight down (ax = 0): forward is -z; turned a quarter about z: right is -y.
    ExpectNear(CCameraMover::GetDirection(CM_FORWARD, CVector3(0.0f, 0.0f, 0.0f)),
               CVector3(0.0f, 0.0f, -1.0f));
    ExpectNear(CCameraMover::GetDirection(CM_FORWARD, CVector3(HalfPi, 0.0f, HalfPi)),
               CVector3(1.0f, 0.0f, 0.0f));
    ExpectNear(CCameraMover::GetDirection(CM_RIGHT, CVector3(HalfPi, 0.0f, HalfPi)),
               CVector3(0.0f, -1.0f, 0.0f));
}

TEST_F(CameraControlTest, OneSecondOfForwardMovesTenUnits)
{
    CCameraControl::Apply(&m_camera, m_mover, Keys({CM_FORWARD}), 1.0f);
    ExpectNear(m_camera.GetPosition(), CVector3(0.0f, -8.316f, 2.165f));
    EXPECT_FLOAT_EQ(m_mover.GetSpeed(), 10.0f);
}

TEST_F(CameraControlTest, AccelerationMovesAHundredUnits)
{
    CCameraControl::Apply(&m_camera, m_mover, Keys({CM_FORWARD}, true), 1.0f);
    ExpectNear(m_camera.GetPosition(), CVector3(0.0f, 81.684f, 2.165f), 1e-2f);
    EXPECT_FLOAT_EQ(m_mover.GetSpeed(), 100.0f);
    // Released: back to ten.
    CCameraControl::Apply(&m_camera, m_mover, Keys({CM_BACKWARD}), 0.5f);
    ExpectNear(m_camera.GetPosition(), CVector3(0.0f, 76.684f, 2.165f), 1e-2f);
}

TEST_F(CameraControlTest, SeveralKeysAddUpAndOppositesCancel)
{
    CCameraControl::Apply(&m_camera, m_mover, Keys({CM_FORWARD, CM_RIGHT, CM_UP}), 0.1f);
    ExpectNear(m_camera.GetPosition(), CVector3(1.0f, -17.316f, 3.165f));
    CCameraControl::Apply(&m_camera, m_mover, Keys({CM_LEFT, CM_RIGHT, CM_UP, CM_DOWN}), 0.1f);
    ExpectNear(m_camera.GetPosition(), CVector3(1.0f, -17.316f, 3.165f));
}

TEST_F(CameraControlTest, RightButtonTurnsTheCamera)
{
    SCameraInput input;
    input.rotate = true;
    input.mouseOffset = CVector2(0.25f, -0.5f);
    CCameraControl::Apply(&m_camera, m_mover, input, 1.0f);
    ExpectNear(m_camera.GetAngles(), CVector3(HalfPi - 0.5f, 0.0f, 0.25f));
    ExpectNear(m_camera.GetPosition(), CVector3(0.0f, -18.316f, 2.165f));
}

TEST_F(CameraControlTest, NoTimeNoMove)
{
    CCameraControl::Apply(&m_camera, m_mover, Keys({CM_FORWARD, CM_UP}, true), 0.0f);
    ExpectNear(m_camera.GetPosition(), CVector3(0.0f, -18.316f, 2.165f));
}
