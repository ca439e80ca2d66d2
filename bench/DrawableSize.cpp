#include "DrawableSize.h"

#include "platform/window/NativeWindow.h"
#include "platform/window/x11/X11Library.h"

#include <cstdio>

namespace bench
{
bool CheckDrawableSize(char const* program, HWND window, unsigned int width, unsigned int height)
{
    platform::X11Library const& xlib = platform::GetX11Library();
    unsigned long const id = platform::GetNativeWindowId(window);
    Display* display = xlib.IsUsable() ? platform::OpenX11Display() : nullptr;
    XWindowAttributes attributes{};
    bool const known =
        display != nullptr && id != 0 && xlib.getWindowAttributes(display, id, &attributes) != 0;
    if (display != nullptr)
        platform::GetX11Library().closeDisplay(display);
    if (!known) {
        std::fprintf(stderr, "%s: FAILED: the size of the window drawn into cannot be read\n", program);
        return false;
    }
    if (unsigned(attributes.width) != width || unsigned(attributes.height) != height) {
        std::fprintf(stderr,
                     "%s: FAILED: the window drawn into is %dx%d but the back buffer is %ux%u; "
                     "the figures would not be for the size reported\n",
                     program, attributes.width, attributes.height, width, height);
        return false;
    }
    return true;
}
} // namespace bench
