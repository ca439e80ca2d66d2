#pragma once

#include "math/Vector.h"

// A place that draws a fish away from its own wandering for a while: a resting place at night,
// food, the pointer at the glass. Set afresh every frame; the default draws nothing.
struct SFishPull
{
    CVector3 point{0.0f, 0.0f, 0.0f};
    // How strongly the point draws, against the wandering's own weights (heading 0.5, target
    // cell 1, mates up to 1.5); 0: not at all.
    float weight = 0.0f;
    // Share of its own pace the fish swims at.
    float pace = 1.0f;

    bool IsActive() const { return weight > 0.0f; }
};
