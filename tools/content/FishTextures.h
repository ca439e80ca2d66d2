#pragma once

#include "FishModel.h"
#include "Picture.h"

namespace content
{

struct SFishTextures
{
    SPicture colour; // RGB side view, "fish%d_%d.jpg"
    SPicture alpha;  // grey opacity of the fins, "fish_alfa_%d_%d.jpg"
};

// Paints a species' skin for one palette (0 or 1) onto the texture layout of its model.
class CFishTexturePainter
{
public:
    static constexpr unsigned int Size = 256;
    static SFishTextures Paint(SFishSpecies const& species, unsigned int palette,
                               SFishGeometry const& geometry);
};

} // namespace content
