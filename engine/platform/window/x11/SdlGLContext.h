#pragma once

#include "platform/window/GLContext.h"

struct SDL_Window;

namespace platform
{
// Multisampling of the windows and contexts SDL makes from now on (0 samples: none).
void SetSdlMultisampling(unsigned int samples);

// A GLX context made by SDL on the window's SDL window; null when SDL refuses.
std::shared_ptr<GLContext> CreateSdlGLContext(HWND window, SDL_Window* sdlWindow,
                                              GLContextAttributes const& attributes);
} // namespace platform
