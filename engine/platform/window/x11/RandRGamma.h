#pragma once

#include "platform/window/Display.h"

struct SDL_Window;

// The gamma ramp of the CRTC showing a window, through the X Resize and Rotate extension on a
// connection of our own (only on X11 displays; the connection stays open for the process).
namespace platform
{
bool IsRandRGammaUsable();
// The CRTC showing the window's display (else the first lit one); false when it has no ramp.
bool ReadRandRGamma(SDL_Window* window, GammaRamp* ramp);
// Sends the ramp and reads it back: true only when the server kept it.
bool WriteRandRGamma(SDL_Window* window, GammaRamp const& ramp);
} // namespace platform
