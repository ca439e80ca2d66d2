#pragma once

#include <array>

#include "CausticFlow.h"
#include "TankLayout.h"
#include "render/Image.h"

class CEngine;
class CLightPattern;
class CTexture2D;

// The caustic light the surface throws on everything lit in the tank: the sand, the rocks, the
// plants and the fish. Two layers of the caustic pictures at different sizes and directions,
// each flowing from one picture into the next at its own pace and drifting slowly, slanted
// along the sun's light; as strong as the day's sun. Their textures are written a few times a
// second, not every frame: whatever lies in the kept background is drawn again each time.
class CTankCaustics
{
public:
    static constexpr char const* FrameFormat = "caustic%02u.jpg";
    static constexpr unsigned int FramesCount = tank::CausticFrames;
    // Each writing draws the lit part of the kept background again: on the software rasteriser
    // that is what the caustics cost, so the light moves in small steps, four a second.
    static constexpr float UpdatesPerSecond = 4.0f;

    struct SLayerPlan
    {
        float period;          // world units of one picture
        float angle;           // radians about z
        float framesPerSecond; // negative: the flow runs backwards
        float driftX, driftY;  // world units per second
        float gain;            // how far the bright lines rise over the mean
        bool stillOnly;        // on the background only (see CLightPattern)
    };
    static constexpr std::array<SLayerPlan, 2> Layers{{
        {5.5f, 0.0f, 1.0f, 0.06f, 0.025f, 1.0f, false},
        {8.7f, 0.65f, -0.7f, -0.045f, 0.035f, 0.6f, true},
    }};

    CTankCaustics() = default;
    ~CTankCaustics() { Destroy(); }
    CTankCaustics(CTankCaustics const&) = delete;
    CTankCaustics& operator=(CTankCaustics const&) = delete;

    // Loads the pictures and lays the pattern on the tank; without them (missing or unsound
    // files) the tank has no caustics and says so in the log. `sunDirection` points where the
    // light goes; `strength` as for Refresh.
    void Create(CEngine* engine, float const sunDirection[3], float strength);
    void Destroy();
    bool IsActive() const { return m_textures[0] != nullptr; }

    // Advances the flow by `elapsed` seconds; `strength` (0 none, 1 the noon sun) applies at
    // the next writing of the textures. Returns whether the textures were written.
    bool Refresh(float elapsed, float strength);
    // Seconds of flow so far.
    double GetTime() const { return m_time; }

private:
    bool LoadFrames(CCausticFlow* flow);
    void Write();
    void Place();

    CEngine* m_engine = nullptr;
    CCausticFlow m_flow;
    std::array<unsigned int, 2> m_textureIndices{0, 0};
    std::array<CTexture2D*, 2> m_textures{nullptr, nullptr};
    CImage m_picture;
    float m_slantX = 0.0f, m_slantY = 0.0f;
    double m_time = 0.0;
    float m_sinceWrite = 0.0f;
    float m_strength = 1.0f;
};
