#pragma once

#include "platform/window/WindowBackend.h"

// The X11 back end on SDL2: top-level and full-screen windows, windows of other programs
// (the preview host, the screen-saver host's window, the root window) wrapped for drawing,
// GLX contexts, SDL's event queue and displays.
namespace platform
{
WindowBackend& GetSdlWindowBackend();
} // namespace platform
