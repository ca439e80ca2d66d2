#pragma once

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

#include <optional>

// Every Xlib and X extension call the platform layer makes itself, loaded once on first use so
// the engine still starts where no X11 client library is installed. The extension libraries are
// optional: a missing one leaves its calls null.
namespace platform
{
struct X11Library
{
    // Calls every X client makes: connections, events, attributes, sync.
    Display* (*openDisplay)(char const*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    Window (*defaultRootWindow)(Display*) = nullptr;
    Status (*queryTree)(Display*, Window, Window*, Window*, Window**, unsigned int*) = nullptr;
    Status (*fetchName)(Display*, Window, char**) = nullptr;
    int (*free)(void*) = nullptr;
    XErrorHandler (*setErrorHandler)(XErrorHandler) = nullptr;
    int (*selectInput)(Display*, Window, long) = nullptr;
    int (*pending)(Display*) = nullptr;
    int (*nextEvent)(Display*, XEvent*) = nullptr;
    Status (*getWindowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
    int (*sync)(Display*, Bool) = nullptr;

    // Watching what the screen shows: properties and window positions.
    Atom (*internAtom)(Display*, char const*, Bool) = nullptr;
    int (*getWindowProperty)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                             unsigned long*, unsigned char**) = nullptr;
    Bool (*translateCoordinates)(Display*, Window, Window, int, int, int*, int*, Window*) = nullptr;
    Bool (*queryPointer)(Display*, Window, Window*, Window*, int*, int*, int*, int*, unsigned int*) = nullptr;

    // The desktop's own windows and background picture.
    int (*changeProperty)(Display*, Window, Atom, Atom, int, int, unsigned char const*, int) = nullptr;
    int (*deleteProperty)(Display*, Window, Atom) = nullptr;
    Window (*createWindow)(Display*, Window, int, int, unsigned int, unsigned int, unsigned int, int,
                           unsigned int, Visual*, unsigned long, XSetWindowAttributes*) = nullptr;
    int (*destroyWindow)(Display*, Window) = nullptr;
    int (*mapWindow)(Display*, Window) = nullptr;
    int (*lowerWindow)(Display*, Window) = nullptr;
    int (*moveResizeWindow)(Display*, Window, int, int, unsigned int, unsigned int) = nullptr;
    int (*storeName)(Display*, Window, char const*) = nullptr;
    int (*setWMHints)(Display*, Window, XWMHints*) = nullptr;
    int (*setClassHint)(Display*, Window, XClassHint*) = nullptr;
    Status (*sendEvent)(Display*, Window, Bool, long, XEvent*) = nullptr;
    int (*flush)(Display*) = nullptr;
    Pixmap (*createPixmap)(Display*, Drawable, unsigned int, unsigned int, unsigned int) = nullptr;
    int (*freePixmap)(Display*, Pixmap) = nullptr;
    GC (*createGC)(Display*, Drawable, unsigned long, XGCValues*) = nullptr;
    int (*freeGC)(Display*, GC) = nullptr;
    int (*copyArea)(Display*, Drawable, Drawable, GC, int, int, unsigned int, unsigned int, int,
                    int) = nullptr;
    int (*fillRectangle)(Display*, Drawable, GC, int, int, unsigned int, unsigned int) = nullptr;

    // libXext's power-saving state.
    Bool (*dpmsQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*dpmsInfo)(Display*, unsigned short*, unsigned char*) = nullptr;
    // libXss's screen-saver state.
    Bool (*screenSaverQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*screenSaverQueryInfo)(Display*, Drawable, XScreenSaverInfo*) = nullptr;
    // libXrandr's monitor list and CRTC gamma ramps.
    XRRMonitorInfo* (*getMonitors)(Display*, Window, Bool, int*) = nullptr;
    void (*freeMonitors)(XRRMonitorInfo*) = nullptr;
    Bool (*randrQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*randrQueryVersion)(Display*, int*, int*) = nullptr;
    XRRScreenResources* (*getScreenResources)(Display*, Window) = nullptr;
    void (*freeScreenResources)(XRRScreenResources*) = nullptr;
    XRRCrtcInfo* (*getCrtcInfo)(Display*, XRRScreenResources*, RRCrtc) = nullptr;
    void (*freeCrtcInfo)(XRRCrtcInfo*) = nullptr;
    int (*getCrtcGammaSize)(Display*, RRCrtc) = nullptr;
    XRRCrtcGamma* (*getCrtcGamma)(Display*, RRCrtc) = nullptr;
    XRRCrtcGamma* (*allocGamma)(int) = nullptr;
    void (*setCrtcGamma)(Display*, RRCrtc, XRRCrtcGamma*) = nullptr;
    void (*freeGamma)(XRRCrtcGamma*) = nullptr;
    // libXinerama's screens, the monitors where RandR has no list.
    Bool (*xineramaIsActive)(Display*) = nullptr;
    XineramaScreenInfo* (*xineramaQueryScreens)(Display*, int*) = nullptr;

    bool IsUsable() const
    {
        return openDisplay && closeDisplay && defaultRootWindow && queryTree && fetchName && free &&
               setErrorHandler && selectInput && pending && nextEvent && getWindowAttributes && sync;
    }
    bool CanWatch() const { return IsUsable() && internAtom && getWindowProperty && translateCoordinates; }
    // Windows and pictures of the process's own on the desktop.
    bool CanKeepDesktopWindows() const
    {
        return CanWatch() && changeProperty && deleteProperty && createWindow && destroyWindow && mapWindow &&
               lowerWindow && moveResizeWindow && storeName && setWMHints && setClassHint && sendEvent &&
               flush && createPixmap && freePixmap && createGC && freeGC && copyArea && fillRectangle;
    }
    bool HasPowerSaving() const { return dpmsQueryExtension && dpmsInfo; }
    bool HasScreenSaverInfo() const { return screenSaverQueryExtension && screenSaverQueryInfo; }
    bool HasMonitors() const { return getMonitors && freeMonitors; }
    bool HasCrtcGamma() const
    {
        return randrQueryExtension && randrQueryVersion && getScreenResources && freeScreenResources &&
               getCrtcInfo && freeCrtcInfo && getCrtcGammaSize && getCrtcGamma && allocGamma &&
               setCrtcGamma && freeGamma;
    }
    bool HasXinerama() const { return xineramaIsActive && xineramaQueryScreens; }
};

X11Library const& GetX11Library();

// A connection to the display named by DISPLAY; null without one.
Display* OpenX11Display();

// The first 32-bit item of `property` on `window` where the property has `type`.
std::optional<unsigned long> ReadFirstPropertyItem(Display* display, Window window, Atom property, Atom type);
} // namespace platform
