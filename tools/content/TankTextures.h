#pragma once

#include "Picture.h"

namespace content
{

// The tank's pictures: water backdrop, sand, caustic light frames, rock and plant skins. The
// sand, caustics and rock tile seamlessly.
class CTankTexturePainter
{
public:
    static constexpr unsigned int CausticFrames = 16;

    static SPicture Backdrop();
    static SPicture Sand();
    // Light over 0.72 ... 1, multiplied onto the sand; frame `frame` of a seamless loop.
    static SPicture Caustic(unsigned int frame);
    static SPicture Rock();
    // A soft round shadow: white in the middle fading to black at the rim, the share of light
    // it takes away where it is drawn.
    static SPicture Shadow();
    static SPicture Grass();
    static SPicture Bush();
};

} // namespace content
