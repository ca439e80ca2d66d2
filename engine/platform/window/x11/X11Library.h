#pragma once

#include <X11/Xlib.h>

// The few Xlib calls the platform layer makes itself, loaded on first use so the engine still
// starts where no X11 client library is installed.
namespace platform
{
struct X11Library
{
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

    bool IsUsable() const
    {
        return openDisplay && closeDisplay && defaultRootWindow && queryTree && fetchName && free &&
               setErrorHandler && selectInput && pending && nextEvent && getWindowAttributes && sync;
    }
};

X11Library const& GetX11Library();

// A connection to the display named by DISPLAY; null without one.
Display* OpenX11Display();
} // namespace platform
