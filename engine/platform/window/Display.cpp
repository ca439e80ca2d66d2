#include "platform/window/Display.h"

#include "platform/window/NativeWindow.h"
#include "platform/window/WindowBackend.h"

namespace platform
{
std::vector<DisplayMode> GetDisplayModes()
{
    if (!InitializeVideo()) {
        return {};
    }
    return GetWindowBackend().GetDisplayModes(0);
}

bool GetDesktopDisplayMode(DisplayMode* mode)
{
    return InitializeVideo() && GetWindowBackend().GetDesktopDisplayMode(0, mode);
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
    if (window != nullptr && window->GetGammaRamp(ramp)) {
        return true;
    }
    *ramp = GetIdentityGammaRamp();
    return false;
}

bool SetGammaRamp(HWND window, GammaRamp const& ramp)
{
    return window != nullptr && window->SetGammaRamp(ramp);
}

void RestoreDisplaySettings()
{
    // Full-screen windows switch the display mode only while they are full screen; leaving
    // full screen has already put the desktop mode back.
}
} // namespace platform
