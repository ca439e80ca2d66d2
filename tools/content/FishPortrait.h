#pragma once

#include "FishModel.h"
#include "FishTextures.h"
#include "Picture.h"

namespace content
{

// A small RGBA side view of a fish drawn from its own model and skin: the body and fins of the
// bind pose seen from its left, head to the right, lit from above and in front, on a clear
// background, in a frame of power-of-two sides as every texture has. The Settings program shows
// it beside the fish's name.
class CFishPortraitPainter
{
public:
    static constexpr unsigned int Width = 128;
    static constexpr unsigned int Height = 64;

    static SPicture Paint(SFishGeometry const& geometry, SFishTextures const& textures);
};

} // namespace content
