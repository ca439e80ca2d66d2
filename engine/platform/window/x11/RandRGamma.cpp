#include "platform/window/x11/RandRGamma.h"

#include "platform/window/x11/X11Library.h"

#include <SDL.h>
#include <X11/extensions/Xrandr.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace platform
{
namespace
{
// Entries of a ramp read back may differ this much from those sent (servers keep fewer bits).
constexpr int GammaReadBackTolerance = 512;
constexpr int RampSize = 256;

// The connection the CRTC gamma calls of the X Resize and Rotate extension go through.
struct RandRGamma
{
    Display* display = nullptr;

    bool IsUsable() const { return display != nullptr; }
};

RandRGamma OpenRandRGamma()
{
    RandRGamma randr;
    X11Library const& xlib = GetX11Library();
    if (!xlib.HasCrtcGamma()) {
        return randr;
    }
    Display* const display = OpenX11Display();
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    // CRTC gamma came with version 1.2.
    if (display == nullptr || !xlib.randrQueryExtension(display, &eventBase, &errorBase) ||
        !xlib.randrQueryVersion(display, &major, &minor) || major < 1 || (major == 1 && minor < 2)) {
        if (display != nullptr) {
            xlib.closeDisplay(display);
        }
        return randr;
    }
    randr.display = display;
    return randr;
}

// Only on X11 displays; the connection stays open for the life of the process.
RandRGamma const& GetRandRGamma()
{
    static RandRGamma const randr = [] {
        char const* const driver = SDL_GetCurrentVideoDriver();
        return driver != nullptr && std::strcmp(driver, "x11") == 0 ? OpenRandRGamma() : RandRGamma{};
    }();
    return randr;
}

// Set while a request of ours may fail: errors are counted instead of ending the process.
int g_gammaErrors = 0;

int CountGammaError(Display* /*display*/, XErrorEvent* /*error*/)
{
    ++g_gammaErrors;
    return 0;
}

// The CRTC showing the display the window is on (matched by its bounds), else the first lit one.
RRCrtc FindCrtc(RandRGamma const& randr, SDL_Window* window)
{
    SDL_Rect bounds{};
    int const index = SDL_GetWindowDisplayIndex(window);
    bool const known = index >= 0 && SDL_GetDisplayBounds(index, &bounds) == 0;
    XRRScreenResources* const resources =
        GetX11Library().getScreenResources(randr.display, GetX11Library().defaultRootWindow(randr.display));
    if (resources == nullptr) {
        return 0;
    }
    RRCrtc found = 0;
    for (int i = 0; i < resources->ncrtc; ++i) {
        XRRCrtcInfo* const info = GetX11Library().getCrtcInfo(randr.display, resources, resources->crtcs[i]);
        if (info == nullptr) {
            continue;
        }
        bool const lit = info->mode != 0;
        bool const matches = known && info->x == bounds.x && info->y == bounds.y &&
                             static_cast<int>(info->width) == bounds.w &&
                             static_cast<int>(info->height) == bounds.h;
        GetX11Library().freeCrtcInfo(info);
        if (lit && (matches || found == 0)) {
            found = resources->crtcs[i];
            if (matches) {
                break;
            }
        }
    }
    GetX11Library().freeScreenResources(resources);
    return found;
}

// Entry i of a ramp of `to` entries taken from one of `from` entries (linear in between).
std::uint16_t Resample(std::uint16_t const* ramp, int from, int to, int i)
{
    if (from == to) {
        return ramp[i];
    }
    double const position = to > 1 ? static_cast<double>(i) * (from - 1) / (to - 1) : 0.0;
    int const below = static_cast<int>(position);
    int const above = std::min(below + 1, from - 1);
    double const fraction = position - below;
    return static_cast<std::uint16_t>(ramp[below] + (ramp[above] - ramp[below]) * fraction + 0.5);
}

bool ReadCrtcGamma(RandRGamma const& randr, RRCrtc crtc, GammaRamp* ramp)
{
    XRRCrtcGamma* const gamma = GetX11Library().getCrtcGamma(randr.display, crtc);
    if (gamma == nullptr) {
        return false;
    }
    bool const usable =
        gamma->size > 0 && (gamma->red[gamma->size - 1] != 0 || gamma->green[gamma->size - 1] != 0 ||
                            gamma->blue[gamma->size - 1] != 0);
    if (usable) {
        for (int i = 0; i < RampSize; ++i) {
            ramp->red[i] = Resample(gamma->red, gamma->size, RampSize, i);
            ramp->green[i] = Resample(gamma->green, gamma->size, RampSize, i);
            ramp->blue[i] = Resample(gamma->blue, gamma->size, RampSize, i);
        }
    }
    GetX11Library().freeGamma(gamma);
    return usable;
}

bool SameRamps(GammaRamp const& a, GammaRamp const& b)
{
    for (int i = 0; i < RampSize; ++i) {
        if (std::abs(a.red[i] - b.red[i]) > GammaReadBackTolerance ||
            std::abs(a.green[i] - b.green[i]) > GammaReadBackTolerance ||
            std::abs(a.blue[i] - b.blue[i]) > GammaReadBackTolerance) {
            return false;
        }
    }
    return true;
}

// Sends the ramp to the CRTC and reads it back: true only when the server kept it.
bool WriteCrtcGamma(RandRGamma const& randr, RRCrtc crtc, GammaRamp const& ramp)
{
    int const size = GetX11Library().getCrtcGammaSize(randr.display, crtc);
    XRRCrtcGamma* const gamma = size > 0 ? GetX11Library().allocGamma(size) : nullptr;
    if (gamma == nullptr) {
        return false;
    }
    for (int i = 0; i < size; ++i) {
        gamma->red[i] = Resample(ramp.red, RampSize, size, i);
        gamma->green[i] = Resample(ramp.green, RampSize, size, i);
        gamma->blue[i] = Resample(ramp.blue, RampSize, size, i);
    }
    X11Library const& xlib = GetX11Library();
    xlib.sync(randr.display, False);
    g_gammaErrors = 0;
    XErrorHandler const previous = xlib.setErrorHandler(CountGammaError);
    xlib.setCrtcGamma(randr.display, crtc, gamma);
    xlib.sync(randr.display, False);
    xlib.setErrorHandler(previous);
    xlib.freeGamma(gamma);
    GammaRamp shown;
    return g_gammaErrors == 0 && ReadCrtcGamma(randr, crtc, &shown) && SameRamps(shown, ramp);
}
} // namespace

bool IsRandRGammaUsable()
{
    return GetRandRGamma().IsUsable();
}

bool ReadRandRGamma(SDL_Window* window, GammaRamp* ramp)
{
    RandRGamma const& randr = GetRandRGamma();
    RRCrtc const crtc = FindCrtc(randr, window);
    return crtc != 0 && ReadCrtcGamma(randr, crtc, ramp);
}

bool WriteRandRGamma(SDL_Window* window, GammaRamp const& ramp)
{
    RandRGamma const& randr = GetRandRGamma();
    RRCrtc const crtc = FindCrtc(randr, window);
    return crtc != 0 && WriteCrtcGamma(randr, crtc, ramp);
}
} // namespace platform
