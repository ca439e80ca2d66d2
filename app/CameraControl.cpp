#include "CameraControl.h"

#include "core/Engine.h"
#include "render/Camera.h"

namespace
{
struct SKeyVariable
{
    char const* name;
    char const* defaultKey;
};

constexpr SKeyVariable KeyVariables[7] = {
    {"c_camera_acceleration", "LSHIFT"}, {"c_camera_move_forward", "W"}, {"c_camera_move_backward", "S"},
    {"c_camera_move_left", "A"},         {"c_camera_move_right", "D"},   {"c_camera_move_up", "Q"},
    {"c_camera_move_down", "Z"},
};

constexpr char const* StateVariables[5] = {"g_camera_position_x", "g_camera_position_y",
                                           "g_camera_position_z", "g_camera_angle_x", "g_camera_angle_z"};
} // namespace

void CCameraControl::Init(CEngine* engine)
{
    if (!m_shutDown)
        Shutdown();
    m_engine = engine;
    m_mover.SetEngine(engine);
    CConfig* config = engine->GetConfig();
    for (int i = 0; i < 7; ++i)
        config->CreateCommand(KeyVariables[i].name, CCT_STRING, false, false, m_keyNames[i],
                              KeyVariables[i].defaultKey);
    for (int i = 0; i < 5; ++i)
        config->CreateCommand(StateVariables[i], CCT_FLOAT, true, false, &m_cameraState[i], "0.0");
    m_shutDown = false;
}

void CCameraControl::Shutdown()
{
    m_shutDown = true;
}

SCameraInput CCameraControl::ReadInput() const
{
    CControls* controls = m_engine->GetControls();
    SCameraInput input;
    input.rotate = controls->IsKeyPressed("MOUSE2");
    if (input.rotate)
        input.mouseOffset = controls->GetMouseOffset();
    input.accelerate = controls->IsKeyPressed(m_keyNames[0]);
    for (int move = 0; move < CM_COUNT; ++move)
        input.moves[move] = controls->IsKeyPressed(m_keyNames[move + 1]);
    return input;
}

void CCameraControl::Apply(CCamera* camera, CCameraMover& mover, SCameraInput const& input, float elapsedTime)
{
    if (input.rotate)
        camera->Rotate(CVector3(input.mouseOffset.y, 0.0f, input.mouseOffset.x));
    mover.SetSpeed(input.accelerate ? CCameraMover::FastSpeed : CCameraMover::NormalSpeed);
    for (int move = 0; move < CM_COUNT; ++move) {
        if (input.moves[move])
            mover.Move(camera, static_cast<ECameraMove>(move), elapsedTime);
    }
}

void CCameraControl::PublishState(CCamera const* camera)
{
    CVector3 const& position = camera->GetPosition();
    CVector3 const& angles = camera->GetAngles();
    m_cameraState[0] = position.x;
    m_cameraState[1] = position.y;
    m_cameraState[2] = position.z;
    m_cameraState[3] = angles.x;
    m_cameraState[4] = angles.z;
}

void CCameraControl::Update()
{
    if (m_shutDown)
        return;
    CCamera* camera = m_engine->GetCameraManager()->GetCamera(0);
    Apply(camera, m_mover, ReadInput(), m_engine->GetTimerManager()->GetElapsedTime());
    PublishState(camera);
}
