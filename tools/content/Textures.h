#pragma once

#include "Picture.h"

#include <string>

namespace content
{

// The pictures of the installation apart from the fish skins and the font.
class CTexturePainter
{
public:
    // Soft speck, its own opacity (a bright disc with a soft rim on black), "plankton.jpg".
    static SPicture Plankton();
    // Underwater scene with the title; `caption` is printed below it when not empty.
    // Painted at 4:3 and stored at the power-of-two size given.
    static SPicture Scene(unsigned int width, unsigned int height, std::string const& caption,
                          std::string const& titleFont, std::string const& textFont);
    static SPicture Console();
    static SPicture Starfish();
    // The starfish shadow's colour and its opacity, both StarShadowSize square.
    static constexpr unsigned int StarShadowSize = 256;
    static SPicture StarShadowColour();
    static SPicture StarShadowAlpha();
    static SPicture BubbleColour();
    static SPicture BubbleAlpha();
};

} // namespace content
