#pragma once

#include "platform/window/x11/X11Library.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xinerama.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

#include <optional>

// The Xlib and extension calls that watch what the screen shows (window states, visibility,
// power saving, screen savers, monitors) and keep the desktop's own windows and background
// picture, loaded on first use like the rest of Xlib. The
// extension libraries are optional: a missing one leaves its calls null. The calls every X
// client makes (events, attributes, sync) are X11Library's.
namespace platform
{
struct X11WatchLibrary
{
    Atom (*internAtom)(Display*, char const*, Bool) = nullptr;
    int (*getWindowProperty)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*,
                             unsigned long*, unsigned char**) = nullptr;
    Bool (*translateCoordinates)(Display*, Window, Window, int, int, int*, int*, Window*) = nullptr;
    int (*changeProperty)(Display*, Window, Atom, Atom, int, int, unsigned char const*, int) = nullptr;
    int (*deleteProperty)(Display*, Window, Atom) = nullptr;
    Window (*createWindow)(Display*, Window, int, int, unsigned int, unsigned int, unsigned int, int,
                           unsigned int, Visual*, unsigned long, XSetWindowAttributes*) = nullptr;
    int (*destroyWindow)(Display*, Window) = nullptr;
    int (*mapWindow)(Display*, Window) = nullptr;
    int (*lowerWindow)(Display*, Window) = nullptr;
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

    // libXext's power-saving state; null without the library.
    Bool (*dpmsQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*dpmsInfo)(Display*, unsigned short*, unsigned char*) = nullptr;
    // libXss's screen-saver state; null without the library.
    Bool (*screenSaverQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*screenSaverQueryInfo)(Display*, Drawable, XScreenSaverInfo*) = nullptr;
    // libXrandr's monitor list; null without the library.
    XRRMonitorInfo* (*getMonitors)(Display*, Window, Bool, int*) = nullptr;
    void (*freeMonitors)(XRRMonitorInfo*) = nullptr;
    // libXinerama's screens, the monitors where RandR has no list; null without the library.
    Bool (*xineramaIsActive)(Display*) = nullptr;
    XineramaScreenInfo* (*xineramaQueryScreens)(Display*, int*) = nullptr;

    bool IsUsable() const
    {
        return internAtom && getWindowProperty && translateCoordinates && GetX11Library().IsUsable();
    }
    // Windows and pictures of the process's own on the desktop.
    bool CanKeepDesktopWindows() const
    {
        return IsUsable() && changeProperty && deleteProperty && createWindow && destroyWindow && mapWindow &&
               lowerWindow && storeName && setWMHints && setClassHint && sendEvent && flush && createPixmap &&
               freePixmap && createGC && freeGC && copyArea && fillRectangle;
    }
    bool HasPowerSaving() const { return dpmsQueryExtension && dpmsInfo; }
    bool HasScreenSaverInfo() const { return screenSaverQueryExtension && screenSaverQueryInfo; }
    bool HasMonitors() const { return getMonitors && freeMonitors; }
    bool HasXinerama() const { return xineramaIsActive && xineramaQueryScreens; }
};

X11WatchLibrary const& GetX11WatchLibrary();

// The first 32-bit item of `property` on `window` where the property has `type`.
std::optional<unsigned long> ReadFirstPropertyItem(Display* display, Window window, Atom property, Atom type);
} // namespace platform
