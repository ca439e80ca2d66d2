#pragma once

#include "platform/window/WindowHandle.h"

#include <cstdint>
#include <vector>

// Display modes and the gamma ramp of the display a window is on.
namespace platform
{
struct DisplayMode
{
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int refreshRate = 0;  // Hz, 0 when unknown
    unsigned int bitsPerPixel = 0; // 32 for 24- and 32-bit formats, 16 for 15- and 16-bit ones
    unsigned int formatBits = 0;   // bits of the pixel format as the system names it (15 for 5-5-5)
};

// Modes of the first display, as the system lists them; empty without a display.
std::vector<DisplayMode> GetDisplayModes();
// The desktop mode of the first display; false without a display.
bool GetDesktopDisplayMode(DisplayMode* mode);

struct GammaRamp
{
    std::uint16_t red[256] = {};
    std::uint16_t green[256] = {};
    std::uint16_t blue[256] = {};
};

// Identity ramp (entry i is 256 * i).
GammaRamp GetIdentityGammaRamp();
// The ramp of the screen the window is on (on X11 its CRTC's, through XRandR). False when
// the display offers no ramp (the identity ramp is written then).
bool GetGammaRamp(HWND window, GammaRamp* ramp);
// True only when the display took the ramp: it is read back after it was sent.
bool SetGammaRamp(HWND window, GammaRamp const& ramp);

// Returns the display to its desktop mode (leaving full screen switches back by itself).
void RestoreDisplaySettings();
} // namespace platform
