#pragma once

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// Tells, over a connection the caller keeps open, whether the pointer is over a given window itself or over
// another program's window stacked above it there.
namespace platform
{
class X11PointerPlace
{
public:
    explicit X11PointerPlace(Display* display);

    // True when the top-level window under the pointer is the one holding `window`; for the root
    // window, when no top-level window lies under the pointer at all. True where it cannot tell.
    bool IsOver(unsigned long window) const;

private:
    // The child of the root that `window` lies in; 0 when the window is gone.
    unsigned long FindTopLevel(unsigned long window) const;

    Display* m_display;
    unsigned long m_root;
};
} // namespace platform
