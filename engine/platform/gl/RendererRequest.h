#pragma once

namespace platform
{
// Whether the environment tells the OpenGL library to draw in software (LIBGL_ALWAYS_SOFTWARE,
// or GALLIUM_DRIVER naming a software rasteriser). Known before any window or context exists.
bool IsSoftwareRendererRequested();
} // namespace platform
