#pragma once

#include "platform/window/GLContext.h"

struct SDL_Window;

namespace platform
{
// A GLX context made by SDL on the window's SDL window; null when SDL refuses.
std::shared_ptr<GLContext> CreateSdlGLContext(HWND window, SDL_Window* sdlWindow,
                                              GLContextAttributes const& attributes);
} // namespace platform
