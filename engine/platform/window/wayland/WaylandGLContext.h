#pragma once

#include "platform/window/GLContext.h"

// The OpenGL context of a Wayland window: EGL, current on the window's largest surface; a
// swap shows that surface and copies it to the window's other surfaces.
namespace platform::wayland
{
class WaylandConnection;
class WaylandWindow;

// Null when EGL offers no desktop OpenGL with the attributes.
std::shared_ptr<GLContext> CreateWaylandGLContext(WaylandWindow& window, WaylandConnection& connection,
                                                  GLContextAttributes const& attributes);
} // namespace platform::wayland
