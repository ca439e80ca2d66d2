#pragma once

#include "platform/gl/Direct3D8.h"
#include "platform/window/GLContext.h"

#include <memory>

// The device on OpenGL fixed function: it draws through a context made on its window.
namespace platform
{
constexpr unsigned int MaxStages = 8;
constexpr unsigned int MaxLights = 8;

// The device takes the context (current on this thread) and holds a reference on the runtime.
IDirect3DDevice8* CreateGLDevice(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                                 D3DPRESENT_PARAMETERS const& parameters);
} // namespace platform
