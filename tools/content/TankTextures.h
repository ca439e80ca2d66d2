#pragma once

#include "Picture.h"
#include "TankLayout.h"

namespace content
{

// The tank's pictures: water backdrop, sand, caustic light frames, rock and plant skins. The
// sand, caustics and rock tile seamlessly.
class CTankTexturePainter
{
public:
    static constexpr unsigned int CausticFrames = tank::CausticFrames;

    static SPicture Backdrop();
    static SPicture Sand();
    // The light the caustic's lines gather, 0 ... 1 (grey); frame `frame` of a seamless loop.
    static SPicture Caustic(unsigned int frame);
    static SPicture Rock();
    // A soft round shadow: white in the middle fading to black at the rim, the share of light
    // it takes away where it is drawn.
    static SPicture Shadow();
    static SPicture Grass();
    static SPicture Bush();
};

} // namespace content
