#include "platform/Display.h"

#include "platform/NativeWindow.h"

#include <SDL.h>

namespace platform
{
namespace
{
unsigned int NormalizedBits(Uint32 format)
{
    unsigned int const bits = SDL_BITSPERPIXEL(format);
    if (bits >= 24) {
        return 32;
    }
    return bits >= 15 ? 16 : bits;
}

DisplayMode ToDisplayMode(SDL_DisplayMode const& mode)
{
    DisplayMode result;
    result.width = static_cast<unsigned int>(mode.w);
    result.height = static_cast<unsigned int>(mode.h);
    result.refreshRate = mode.refresh_rate > 0 ? static_cast<unsigned int>(mode.refresh_rate) : 0;
    result.bitsPerPixel = NormalizedBits(mode.format);
    return result;
}
} // namespace

std::vector<DisplayMode> GetDisplayModes()
{
    std::vector<DisplayMode> modes;
    if (!InitializeVideo()) {
        return modes;
    }
    int const count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(0, i, &mode) == 0) {
            modes.push_back(ToDisplayMode(mode));
        }
    }
    return modes;
}

bool GetDesktopDisplayMode(DisplayMode* mode)
{
    SDL_DisplayMode desktop;
    if (!InitializeVideo() || SDL_GetDesktopDisplayMode(0, &desktop) != 0) {
        return false;
    }
    *mode = ToDisplayMode(desktop);
    return true;
}

GammaRamp GetIdentityGammaRamp()
{
    GammaRamp ramp;
    for (unsigned int i = 0; i < 256; ++i) {
        ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<std::uint16_t>(i * 256);
    }
    return ramp;
}

bool GetGammaRamp(HWND window, GammaRamp* ramp)
{
    if (window != nullptr && SDL_GetWindowGammaRamp(window, ramp->red, ramp->green, ramp->blue) == 0) {
        return true;
    }
    *ramp = GetIdentityGammaRamp();
    return false;
}

bool SetGammaRamp(HWND window, GammaRamp const& ramp)
{
    return window != nullptr && SDL_SetWindowGammaRamp(window, ramp.red, ramp.green, ramp.blue) == 0;
}

void RestoreDisplaySettings()
{
    // Full-screen windows switch the display mode only while they are full screen; leaving
    // full screen has already put the desktop mode back.
}
} // namespace platform
