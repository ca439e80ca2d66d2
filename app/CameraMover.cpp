#include "CameraMover.h"

#include "math/Angles.h"
#include "render/Camera.h"

#include <cmath>

CVector3 CCameraMover::GetDirection(ECameraMove move, CVector3 const& angles)
{
    float const ax = angles.x;
    float const az = angles.z;
    switch (move) {
    case CM_FORWARD:
        return CVector3(std::sin(az) * std::sin(ax), std::cos(az) * std::sin(ax), -std::cos(ax));
    case CM_BACKWARD:
        return CVector3(-std::sin(az) * std::sin(ax), -std::cos(az) * std::sin(ax), std::cos(ax));
    case CM_LEFT:
        return CVector3(std::sin(az - math::HalfPi), std::cos(az - math::HalfPi), 0.0f);
    case CM_RIGHT:
        return CVector3(std::sin(az + math::HalfPi), std::cos(az + math::HalfPi), 0.0f);
    case CM_UP:
        return CVector3(0.0f, 0.0f, 1.0f);
    case CM_DOWN:
        return CVector3(0.0f, 0.0f, -1.0f);
    default:
        return CVector3(0.0f, 0.0f, 0.0f);
    }
}

void CCameraMover::Move(CCamera* camera, ECameraMove move, float elapsedTime) const
{
    CVector3 const direction = GetDirection(move, camera->GetAngles());
    camera->SetPosition(camera->GetPosition() + direction * (m_speed * elapsedTime));
}
