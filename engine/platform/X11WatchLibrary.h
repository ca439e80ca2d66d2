#pragma once

#include "platform/X11Library.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <X11/extensions/scrnsaver.h>

// The Xlib and extension calls that watch what the screen shows (window states, visibility,
// power saving, screen savers, monitors), loaded on first use like the rest of Xlib. The
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

    // libXext's power-saving state; null without the library.
    Bool (*dpmsQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*dpmsInfo)(Display*, unsigned short*, unsigned char*) = nullptr;
    // libXss's screen-saver state; null without the library.
    Bool (*screenSaverQueryExtension)(Display*, int*, int*) = nullptr;
    Status (*screenSaverQueryInfo)(Display*, Drawable, XScreenSaverInfo*) = nullptr;
    // libXrandr's monitor list; null without the library.
    XRRMonitorInfo* (*getMonitors)(Display*, Window, Bool, int*) = nullptr;
    void (*freeMonitors)(XRRMonitorInfo*) = nullptr;

    bool IsUsable() const
    {
        return internAtom && getWindowProperty && translateCoordinates && GetX11Library().IsUsable();
    }
    bool HasPowerSaving() const { return dpmsQueryExtension && dpmsInfo; }
    bool HasScreenSaverInfo() const { return screenSaverQueryExtension && screenSaverQueryInfo; }
    bool HasMonitors() const { return getMonitors && freeMonitors; }
};

X11WatchLibrary const& GetX11WatchLibrary();
} // namespace platform
