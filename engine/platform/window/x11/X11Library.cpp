#include "platform/window/x11/X11Library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace platform
{
namespace
{
template <typename Function> void Load(void* library, Function& function, char const* name)
{
    function = reinterpret_cast<Function>(dlsym(library, name));
}

X11Library LoadX11Library()
{
    X11Library xlib;
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return xlib;
    }
    Load(library, xlib.openDisplay, "XOpenDisplay");
    Load(library, xlib.closeDisplay, "XCloseDisplay");
    Load(library, xlib.defaultRootWindow, "XDefaultRootWindow");
    Load(library, xlib.queryTree, "XQueryTree");
    Load(library, xlib.fetchName, "XFetchName");
    Load(library, xlib.free, "XFree");
    Load(library, xlib.setErrorHandler, "XSetErrorHandler");
    Load(library, xlib.selectInput, "XSelectInput");
    Load(library, xlib.pending, "XPending");
    Load(library, xlib.nextEvent, "XNextEvent");
    Load(library, xlib.getWindowAttributes, "XGetWindowAttributes");
    Load(library, xlib.sync, "XSync");
    return xlib;
}
} // namespace

X11Library const& GetX11Library()
{
    static X11Library const xlib = LoadX11Library();
    return xlib;
}

Display* OpenX11Display()
{
    X11Library const& xlib = GetX11Library();
    if (!xlib.IsUsable() || std::getenv("DISPLAY") == nullptr) {
        return nullptr;
    }
    return xlib.openDisplay(nullptr);
}
} // namespace platform
