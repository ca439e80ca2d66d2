#include "platform/window/WindowBackend.h"

#include "platform/window/x11/SdlWindowBackend.h"
#ifdef CORALUME_WAYLAND
#include "platform/window/wayland/WaylandWindowBackend.h"
#endif

namespace platform
{
WindowBackend* FindWindowBackend(WindowSystem system)
{
    switch (system) {
    case WindowSystem::X11:
        return &GetSdlWindowBackend();
    case WindowSystem::Wayland:
#ifdef CORALUME_WAYLAND
        return &GetWaylandWindowBackend();
#else
        return nullptr;
#endif
    }
    return nullptr;
}

WindowBackend& GetWindowBackend()
{
    // The program refuses to start on a window system without a back end; until then, and in
    // tests, calls go to X11.
    WindowBackend* backend = FindWindowBackend(GetActiveWindowSystem());
    return backend != nullptr ? *backend : GetSdlWindowBackend();
}
} // namespace platform
