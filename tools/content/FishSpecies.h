#pragma once

#include "Canvas.h"

#include <array>
#include <vector>

namespace content
{

enum class EFishPattern
{
    Bands,      // white bands edged in black across an orange body
    Bars,       // soft dark vertical bars over silver
    NeonStripe, // glowing stripe along the flank, red rear belly
    EyeSpot,    // dark eye band and a false eye near the tail
    Spots,      // round spots over the whole body
    Surgeon,    // deep blue body with a dark sweep and a bright tail
};

struct SFishPalette
{
    SColour back, belly, pattern, accent, fin;
};

// Body and fin shape of one species; lengths in world units, the body along +x (head),
// height along z, width along y. s runs from the tail base (0) to the nose (1).
struct SFishSpecies
{
    char const* name;
    float bodyLength;
    float bodyHeight; // largest half-height
    float bodyWidth;  // largest half-width
    float thickestAt; // s of the largest height
    float peduncle;   // half-height at the tail base, relative to bodyHeight
    float roundness;  // cross-section superellipse exponent (2 = ellipse)
    float arch;       // upward shift of the body centre line, relative to bodyHeight
    float tailLength;
    float tailSpan; // half-height of the tail tip, relative to bodyHeight
    float tailFork; // > 0 forked, < 0 rounded
    float dorsalStart, dorsalEnd, dorsalHeight, dorsalSweep;
    float analStart, analEnd, analHeight, analSweep;
    float pectoralLength;
    float swimAmplitude;
    EFishPattern pattern;
    std::array<SFishPalette, 2> palettes; // texture variants 1 and 2
};

std::vector<SFishSpecies> const& GetFishSpecies();

} // namespace content
