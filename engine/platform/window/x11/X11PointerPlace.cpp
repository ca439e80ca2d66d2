#include "platform/window/x11/X11PointerPlace.h"

#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"

namespace platform
{
namespace
{
// Deeper nesting than any window manager's frames means a broken tree.
constexpr int MaxWindowDepth = 64;
} // namespace

X11PointerPlace::X11PointerPlace(Display* display)
    : m_display(display), m_root(display != nullptr ? GetX11Library().defaultRootWindow(display) : 0)
{}

bool X11PointerPlace::IsOver(unsigned long window) const
{
    X11Library const& xlib = GetX11Library();
    if (m_display == nullptr || xlib.queryPointer == nullptr) {
        return true;
    }
    X11ErrorTrap const trap(m_display);
    Window root = 0;
    Window child = 0;
    int rootX = 0, rootY = 0, windowX = 0, windowY = 0;
    unsigned int buttons = 0;
    if (!xlib.queryPointer(m_display, m_root, &root, &child, &rootX, &rootY, &windowX, &windowY, &buttons)) {
        return false; // on another screen
    }
    if (window == m_root) {
        return child == None;
    }
    return child != None && child == FindTopLevel(window);
}

unsigned long X11PointerPlace::FindTopLevel(unsigned long window) const
{
    X11Library const& xlib = GetX11Library();
    for (int depth = 0; depth < MaxWindowDepth && window != 0; ++depth) {
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (!xlib.queryTree(m_display, window, &root, &parent, &children, &count)) {
            return 0;
        }
        if (children != nullptr) {
            xlib.free(children);
        }
        if (parent == m_root) {
            return window;
        }
        window = parent;
    }
    return 0;
}
} // namespace platform
