#pragma once

#include <utility>
#include <vector>

#include "math/Ray.h"
#include "math/Vector.h"

class CFish;

// Fish that notice the pointer over the wallpaper: the nearest come to the front glass before
// it to look, and a fast sweep of the pointer startles those it passes, as the screen saver's
// mouse does.
class CFishAttention
{
public:
    // Where the pointer is this frame: its place on the screen (pixels) and its ray into the
    // tank; `over` is false while it is not over the tank.
    struct SPointer
    {
        bool over = false;
        CVector2 position{0.0f, 0.0f};
        CRay ray;
    };

    // So many fish come to look.
    static constexpr unsigned int LookersCount = 2;
    // The fish look from this far behind the front of their area.
    static constexpr float GlassGap = 2.5f;
    static constexpr float LookPull = 4.0f;
    static constexpr float LookPace = 1.0f;
    // A fish that notices the pointer sets off at this share of its top speed.
    static constexpr float NoticePace = 0.7f;
    // A fish already looking keeps its place against fish this much nearer.
    static constexpr float LookerHeadStart = 4.0f;
    // A pointer left still this long is no longer looked at.
    static constexpr float InterestSeconds = 30.0f;
    // Pointer speeds (pixels per second) from this one up startle.
    static constexpr float StartleSpeed = 1500.0f;
    // Fish this near the pointer's ray are startled, at this share of their top speed.
    static constexpr float StartleReach = 2.5f;
    static constexpr float StartleFactor = 2.5f;

    // Sets the lookers' pulls over what the frame set before, and startles on a fast sweep.
    void Refresh(float now, float dt, SPointer const& pointer, CFish* fishes, unsigned int count);

    // The point on the glass the fish look at, valid while `IsLooking`.
    CVector3 const& GetLookPoint() const { return m_lookPoint; }
    bool IsLooking(unsigned int fish) const { return fish < m_looking.size() && m_looking[fish]; }
    unsigned int GetStartlesCount() const { return m_startles; }

private:
    // Where the ray meets the front of `fish`'s area, kept inside it; false when it does not.
    static bool FindLookPoint(CRay const& ray, CFish const& fish, CVector3* point);

    bool m_wasOver = false;
    CVector2 m_lastPosition{0.0f, 0.0f};
    float m_lastMove = -1e9f;
    CVector3 m_lookPoint{0.0f, 0.0f, 0.0f};
    std::vector<bool> m_looking;
    // Kept between frames so that a frame does not allocate.
    std::vector<bool> m_wasLooking;
    std::vector<std::pair<float, unsigned int>> m_nearest;
    unsigned int m_startles = 0;
};
