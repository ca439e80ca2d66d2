#pragma once

#include "math/Vector.h"

class CPlanktonSwarm;
class CSpriteGroup;

// The plankton's colour over the day: plain white specks by day; by night, when the water
// around them is dark, a faint blue-green glow.
class CPlanktonGlow
{
public:
    static constexpr float DayColour[3] = {1.0f, 1.0f, 1.0f};
    static constexpr float NightColour[3] = {0.30f, 0.80f, 0.70f};

    // The specks' colour at local `hour`.
    static CVector3 GetColour(float hour);
    // Colours every speck of the swarm for `hour`, keeping each one's opacity.
    static void Apply(float hour, CPlanktonSwarm const& swarm, CSpriteGroup* group);
};
