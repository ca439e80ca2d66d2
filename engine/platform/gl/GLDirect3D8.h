#pragma once

#include "platform/gl/Direct3D8.h"

// The device runtime on OpenGL (compatibility profile, fixed function). Adapters are the
// displays of the window system's back end; a device draws through the GL context the
// back end makes on the engine's window (GLContext.h). Device
// conventions are kept: matrices as sent (row vectors), clip-space z in 0..1, pixel centres
// on integer coordinates, clockwise front faces as D3DCULL_CCW expects.
namespace platform
{
IDirect3D8* CreateGLDirect3D8();
} // namespace platform
