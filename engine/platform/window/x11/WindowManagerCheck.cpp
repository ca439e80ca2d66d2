#include "platform/window/x11/WindowManagerCheck.h"

#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"

#include <X11/Xatom.h>

namespace platform
{
namespace
{
// The window `property` (a single window id) of `window` names; 0 when it names none.
Window ReadWindowProperty(Display* display, Window window, Atom property)
{
    return static_cast<Window>(ReadFirstPropertyItem(display, window, property, XA_WINDOW).value_or(0));
}
} // namespace

bool DoesWindowManagerSupport(char const* name)
{
    // Managers list some tens of hints; a list longer than this is read no further.
    constexpr long MaxHintsRead = 1024;
    X11Library const& watch = GetX11Library();
    if (!watch.CanWatch() || !IsWindowManagerRunning()) {
        return false;
    }
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return false;
    }
    X11Library const& xlib = GetX11Library();
    Atom const wanted = watch.internAtom(display, name, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    bool supported = false;
    if (watch.getWindowProperty(display, xlib.defaultRootWindow(display),
                                watch.internAtom(display, "_NET_SUPPORTED", False), 0, MaxHintsRead, False,
                                XA_ATOM, &type, &format, &count, &remaining, &data) == Success &&
        type == XA_ATOM && format == 32 && data != nullptr) {
        auto const* hints = reinterpret_cast<unsigned long const*>(data);
        for (unsigned long i = 0; i < count && !supported; ++i) {
            supported = hints[i] == wanted;
        }
    }
    if (data != nullptr) {
        xlib.free(data);
    }
    xlib.closeDisplay(display);
    return supported;
}

bool IsWindowManagerRunningOn(Display* display)
{
    X11Library const& xlib = GetX11Library();
    if (display == nullptr || !xlib.CanWatch()) {
        return false;
    }
    // A check window left behind by a manager that has gone away answers with BadWindow.
    X11ErrorTrap const trap(display);
    Atom const check = xlib.internAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) {
        return false;
    }
    Window const named = ReadWindowProperty(display, xlib.defaultRootWindow(display), check);
    return named != 0 && ReadWindowProperty(display, named, check) == named;
}

bool IsWindowManagerRunning()
{
    if (!GetX11Library().CanWatch()) {
        return false;
    }
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return false;
    }
    bool const running = IsWindowManagerRunningOn(display);
    GetX11Library().closeDisplay(display);
    return running;
}
} // namespace platform
