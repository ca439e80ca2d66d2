#pragma once

class CModel;
struct SShaderDescriptorStage;

// The shafts of light painted on the backdrop sway slowly from side to side: the backdrop's
// picture slides along its width (the water's colour changes only with height, so only the
// shafts move). The picture moves only in steps too small to see, so the kept background is
// drawn again rarely.
class CTankLightShafts
{
public:
    // Sway in picture widths: two slow waves of these sizes and periods (seconds).
    static constexpr float Sway[2] = {0.035f, 0.015f};
    static constexpr float SwayPeriod[2] = {61.0f, 23.0f};
    // Smallest step the picture takes: half a texel of the backdrop's picture, a few pixels of
    // soft light. Each step draws the backdrop again.
    static constexpr float Step = 1.0f / 256.0f;

    // The first stage of the backdrop's first triangle set; nothing moves without one.
    void Create(CModel* backdrop);
    void Destroy() { m_stage = nullptr; }
    // Places the shafts at `time` seconds; true when the picture moved.
    bool Refresh(double time);
    // The picture's offset along its width now.
    float GetOffset() const;

private:
    SShaderDescriptorStage* m_stage = nullptr;
    float m_home = 0.0f;
};
