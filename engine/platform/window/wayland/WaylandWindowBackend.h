#pragma once

#include "platform/window/WindowBackend.h"

// The Wayland back end: windows made of layer-shell or xdg-shell surfaces (WaylandWindow.h),
// EGL contexts, the seat's keyboard and pointer fed to WindowEvents.h, the outputs as
// displays.
namespace platform
{
WindowBackend& GetWaylandWindowBackend();
} // namespace platform
