#pragma once

#include "platform/Direct3D8.h"

// The device runtime on OpenGL (compatibility profile, fixed function). Adapters are the
// SDL displays; a device is a GL context made on the engine's SDL window. Device
// conventions are kept: matrices as sent (row vectors), clip-space z in 0..1, pixel centres
// on integer coordinates, clockwise front faces as D3DCULL_CCW expects.
namespace platform
{
IDirect3D8* CreateGLDirect3D8();
} // namespace platform
