#pragma once

#include "math/Vector.h"

class CCamera;
class CConfig;

// A slow drift of the camera around where it was placed, for parallax between the near and the
// far decor. Its size is the setting g_camera_drift (units of sideways sway; 0, the default,
// leaves the camera still). A moving camera redraws the whole background every frame.
class CTankCameraDrift
{
public:
    // Seconds of one sideways sway and of one rise and fall; the rise is this share of the sway.
    static constexpr float SwayPeriod = 47.0f;
    static constexpr float RisePeriod = 31.0f;
    static constexpr float RiseShare = 0.35f;
    // The drift never reaches further than this.
    static constexpr float LargestDrift = 2.0f;

    // Registers the setting and remembers where the camera stands now.
    void Create(CConfig* config, CCamera* camera);
    void Destroy();
    // Moves the camera on by `dt` seconds.
    void Refresh(float dt);

    CVector3 GetOffset(float time) const;
    float GetAmount() const { return m_amount; }

private:
    CConfig* m_config = nullptr;
    CCamera* m_camera = nullptr;
    CVector3 m_home{0.0f, 0.0f, 0.0f};
    float m_amount = 0.0f;
    float m_time = 0.0f;
    bool m_moved = false;
};
