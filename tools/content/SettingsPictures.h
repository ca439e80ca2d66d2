#pragma once

#include "Picture.h"

namespace content
{

// The Settings program's widget pictures, RGBA: a rounded frame filled with a vertical
// gradient, in the look of the water.
class CSettingsPictures
{
public:
    static SPicture Panel();
    // Frame 0 normal, 1 under the mouse, 2 pressed.
    static SPicture Button(unsigned int frame);
    // Frame 0 unchecked, 1 under the mouse, 2 checked.
    static SPicture CheckBox(unsigned int frame);
    static SPicture ComboBox();
    static SPicture List();
    static SPicture Slider();
    static SPicture Toddler();
};

} // namespace content
