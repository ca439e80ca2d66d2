#pragma once

#include "platform/window/WindowHandle.h"

#include <memory>

// An OpenGL context made on a window by the window's back end (GLX through SDL on X11, EGL on
// Wayland). The device draws through it and never asks the window system itself.
namespace platform
{
struct GLContextAttributes
{
    int depthBits = 0;
    int stencilBits = 0;
    // Samples per pixel of the drawing surface (0: not multisampled); the window's own.
    unsigned int samples = 0;
};

class GLContext
{
public:
    virtual ~GLContext() = default;

    // Makes the context current on this thread (a no-op when it already is); false once
    // released or when the system refuses.
    virtual bool MakeCurrent() = 0;
    // Shows the back buffer.
    virtual void SwapBuffers() = 0;
    // Waits for this many vertical blanks per swap (0: none).
    virtual void SetSwapInterval(int interval) = 0;
    // Size of the drawing surface in pixels.
    virtual void GetDrawableSize(int* width, int* height) const = 0;
    virtual HWND GetWindow() const = 0;
    // Destroys the context; textures and buffers that still hold it see it released.
    virtual void Release() = 0;
    virtual bool IsReleased() const = 0;
};

// A compatibility-profile, double-buffered context on the window, made by the back end that
// owns it; null when the window cannot be drawn on with OpenGL or the system refuses.
std::shared_ptr<GLContext> CreateGLContext(HWND window, GLContextAttributes const& attributes);
} // namespace platform
