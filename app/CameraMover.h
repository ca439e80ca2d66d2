#pragma once

#include "math/Vector.h"

class CCamera;
class CEngine;

enum ECameraMove : int
{
    CM_FORWARD = 0,
    CM_BACKWARD,
    CM_LEFT,
    CM_RIGHT,
    CM_UP,
    CM_DOWN,
    CM_COUNT,
};

// Moves a camera along its own axes at a speed in units per second.
class CCameraMover
{
public:
    static constexpr float NormalSpeed = 10.0f;
    static constexpr float FastSpeed = 100.0f;

    void SetEngine(CEngine* engine) { m_engine = engine; }
    void SetSpeed(float speed) { m_speed = speed; }
    float GetSpeed() const { return m_speed; }

    // Unit direction of a move for camera angles (about x, y, z).
    static CVector3 GetDirection(ECameraMove move, CVector3 const& angles);
    // Position += direction x speed x elapsed seconds; position and angles are read anew.
    void Move(CCamera* camera, ECameraMove move, float elapsedTime) const;

private:
    CEngine* m_engine = nullptr;
    float m_speed = NormalSpeed;
};
