#include "platform/WindowManagerCheck.h"

#include "platform/X11Library.h"
#include "platform/X11WatchLibrary.h"

#include <X11/Xatom.h>

namespace platform
{
namespace
{
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// The window `property` (a single window id) of `window` names; 0 when it names none.
Window ReadWindowProperty(Display* display, Window window, Atom property)
{
    X11WatchLibrary const& watch = GetX11WatchLibrary();
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    Window named = 0;
    if (watch.getWindowProperty(display, window, property, 0, 1, False, XA_WINDOW, &type, &format, &count,
                                &remaining, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1 && data != nullptr) {
        named = static_cast<Window>(*reinterpret_cast<unsigned long*>(data));
    }
    if (data != nullptr) {
        GetX11Library().free(data);
    }
    return named;
}
} // namespace

bool IsWindowManagerRunning()
{
    X11WatchLibrary const& watch = GetX11WatchLibrary();
    if (!watch.IsUsable()) {
        return false;
    }
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return false;
    }
    X11Library const& xlib = GetX11Library();
    // A check window left behind by a manager that has gone away answers with BadWindow.
    XErrorHandler const previous = xlib.setErrorHandler(IgnoreXError);
    bool running = false;
    Atom const check = watch.internAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check != None) {
        Window const named = ReadWindowProperty(display, xlib.defaultRootWindow(display), check);
        running = named != 0 && ReadWindowProperty(display, named, check) == named;
    }
    xlib.sync(display, False);
    xlib.setErrorHandler(previous);
    xlib.closeDisplay(display);
    return running;
}
} // namespace platform
