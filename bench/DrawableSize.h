#pragma once

#include "platform/window/WindowHandle.h"

// The size of the window the frames really land in, as the X server has it.
namespace bench
{
// False (and a loud message on stderr) unless the window is width x height on the screen.
bool CheckDrawableSize(char const* program, HWND window, unsigned int width, unsigned int height);
} // namespace bench
