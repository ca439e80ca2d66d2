#pragma once

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

namespace platform
{
// While it lives, X errors (a window of another program that went away, say) are ignored; at
// its end the requests made meanwhile are waited for, so their errors fall inside it too.
class X11ErrorTrap
{
public:
    explicit X11ErrorTrap(Display* display);
    ~X11ErrorTrap();
    X11ErrorTrap(X11ErrorTrap const&) = delete;
    X11ErrorTrap& operator=(X11ErrorTrap const&) = delete;

private:
    Display* m_display;
    void* m_previous;
};

// Installs the process's X error handler: an error outside any trap (a request of the window
// library on a window another program has just destroyed, say) never ends the process.
void InstallX11ErrorHandler();
} // namespace platform
