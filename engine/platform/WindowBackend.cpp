#include "platform/WindowBackend.h"

#include "platform/sdl/SdlWindowBackend.h"

namespace platform
{
WindowBackend* FindWindowBackend(WindowSystem system)
{
    switch (system) {
    case WindowSystem::X11:
        return &GetSdlWindowBackend();
    case WindowSystem::Wayland:
        // A Wayland back end registers here.
        return nullptr;
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
