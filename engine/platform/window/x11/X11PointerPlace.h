#pragma once

#include <memory>

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// Tells, on a connection of its own, whether the pointer is over a given window itself or over
// another program's window stacked above it there.
namespace platform
{
class X11PointerPlace
{
public:
    // Null without a display or the Xlib calls it needs.
    static std::unique_ptr<X11PointerPlace> Open();
    ~X11PointerPlace();
    X11PointerPlace(X11PointerPlace const&) = delete;
    X11PointerPlace& operator=(X11PointerPlace const&) = delete;

    // True when the top-level window under the pointer is the one holding `window`; for the root
    // window, when no top-level window lies under the pointer at all.
    bool IsOver(unsigned long window) const;

private:
    X11PointerPlace(Display* display, unsigned long root) : m_display(display), m_root(root) {}

    // The child of the root that `window` lies in; 0 when the window is gone.
    unsigned long FindTopLevel(unsigned long window) const;

    Display* m_display;
    unsigned long m_root;
};
} // namespace platform
