#pragma once

#include "CameraMover.h"

class CCamera;
class CEngine;

// What the free camera reads from the controls in one frame.
struct SCameraInput
{
    bool rotate = false; // MOUSE2 down
    CVector2 mouseOffset{0.0f, 0.0f};
    bool accelerate = false;
    bool moves[CM_COUNT] = {};
};

// The free camera of debug mode: flies camera 0 with the keys named by the c_camera_
// variables and publishes its place in the g_camera_ variables.
class CCameraControl
{
public:
    static constexpr unsigned int KeyNameLength = 256;

    CCameraControl() = default;
    ~CCameraControl() = default;
    CCameraControl(CCameraControl const&) = delete;
    CCameraControl& operator=(CCameraControl const&) = delete;

    // Registers the seven key variables and the five camera-state variables.
    void Init(CEngine* engine);
    void Update();
    void Shutdown();
    bool IsShutDown() const { return m_shutDown; }

    // One frame of flying: rotation, speed, the moves in key order.
    static void Apply(CCamera* camera, CCameraMover& mover, SCameraInput const& input, float elapsedTime);

private:
    SCameraInput ReadInput() const;
    void PublishState(CCamera const* camera);

    bool m_shutDown = true;
    CEngine* m_engine = nullptr;
    CCameraMover m_mover;
    // acceleration, then the moves: forward, backward, left, right, up, down
    char m_keyNames[7][KeyNameLength] = {};
    float m_cameraState[5] = {}; // position x, y, z, angle x, angle z
};
