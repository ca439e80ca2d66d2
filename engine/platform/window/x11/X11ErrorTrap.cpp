#include "platform/window/x11/X11ErrorTrap.h"

#include "platform/window/x11/X11Library.h"

namespace platform
{
namespace
{
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}
} // namespace

X11ErrorTrap::X11ErrorTrap(Display* display)
    : m_display(display), m_previous(reinterpret_cast<void*>(GetX11Library().setErrorHandler(&IgnoreError)))
{}

X11ErrorTrap::~X11ErrorTrap()
{
    X11Library const& xlib = GetX11Library();
    xlib.sync(m_display, False);
    xlib.setErrorHandler(reinterpret_cast<XErrorHandler>(m_previous));
}

void InstallX11ErrorHandler()
{
    X11Library const& xlib = GetX11Library();
    if (xlib.setErrorHandler != nullptr) {
        xlib.setErrorHandler(&IgnoreError);
    }
}
} // namespace platform
