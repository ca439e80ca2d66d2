#pragma once

#include "math/Vector.h"

class CDirect3DSubsystem;

// Depth in the water: with distance everything fades into the water's colour, through the
// device's fixed-function linear fog. Near fish stay vivid, those at the back turn blue-grey.
class CTankFog
{
public:
    // Distances from the eye where the fading begins and where only water is left.
    static constexpr float Start = 14.0f;
    static constexpr float End = 50.0f;

    static void Apply(CDirect3DSubsystem* direct3DSubsystem, CVector4 const& water);
    // Sets the fog up again when the device lost it (a reset device starts without).
    static void Keep(CDirect3DSubsystem* direct3DSubsystem, CVector4 const& water);
    static void Remove(CDirect3DSubsystem* direct3DSubsystem);
};
