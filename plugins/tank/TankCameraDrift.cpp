#include "TankCameraDrift.h"

#include <algorithm>
#include <cmath>

#include "core/Config.h"
#include "math/Angles.h"
#include "render/Camera.h"

void CTankCameraDrift::Create(CConfig* config, CCamera* camera)
{
    m_config = config;
    m_camera = camera;
    m_time = 0.0f;
    m_moved = false;
    if (m_camera)
        m_home = m_camera->GetPosition();
    if (m_config)
        m_config->CreateCommand("g_camera_drift", CCT_FLOAT, false, true, &m_amount, "0");
}

void CTankCameraDrift::Destroy()
{
    if (m_camera && m_moved)
        m_camera->SetPosition(m_home);
    m_camera = nullptr;
    m_config = nullptr;
    m_moved = false;
}

CVector3 CTankCameraDrift::GetOffset(float time) const
{
    float const amount = std::clamp(m_amount, 0.0f, LargestDrift);
    return CVector3(amount * std::sin(math::TwoPi * time / SwayPeriod), 0.0f,
                    amount * RiseShare * std::sin(math::TwoPi * time / RisePeriod));
}

void CTankCameraDrift::Refresh(float dt)
{
    if (!m_camera)
        return;
    if (!(m_amount > 0.0f)) {
        // Switched off: back where it was placed.
        if (m_moved)
            m_camera->SetPosition(m_home);
        m_moved = false;
        return;
    }
    m_time += dt;
    m_camera->SetPosition(m_home + GetOffset(m_time));
    m_moved = true;
}
