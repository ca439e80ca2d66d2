#pragma once

#include "math/Vector.h"

class CFish;

// How the fish of a school see each other: every fish keeps clear of every other body, and fish
// of one species swim together (keep a few body lengths between them, head the same way and
// follow the first of them). Bodies are capsules along the heading with an elliptic cross
// section of the fish's width and height.
class CFishShoal
{
public:
    // Mates within this many body lengths align and close up.
    static constexpr float MateReach = 5.0f;
    // Mates further than this many body lengths apart close up.
    static constexpr float MateSpacing = 1.2f;
    // Bodies closer than this many body lengths push each other away.
    static constexpr float SeparationReach = 0.9f;
    // Courses are followed ahead for this many seconds to dodge in time.
    static constexpr float LookAhead = 2.0f;
    // The gap no two bodies come closer than.
    static constexpr float MinimumGap = 0.08f;
    // Room a body keeps beyond its width and height for the tail's swing and the bends.
    static constexpr float SwingRoom = 0.12f;

    // Sets every fish's influence of the others for this frame.
    static void Steer(CFish* fishes, unsigned int count);
    // Moves bodies that came closer than the minimum gap apart.
    static void KeepApart(CFish* fishes, unsigned int count);
    // Free room between two bodies (negative when they interpenetrate) and the unit direction
    // from `a` toward `b` across it.
    static float GetGap(CFish const& a, CFish const& b, CVector3* direction);
    // Fish of one species that school: the same model.
    static bool AreMates(CFish const& a, CFish const& b);
};
