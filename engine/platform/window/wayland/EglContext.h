#pragma once

#include <EGL/egl.h>

#include <memory>

struct wl_display;
struct wl_egl_window;

// Desktop OpenGL (compatibility profile, for the fixed-function device) through EGL on a
// Wayland display: one context, made current on any of the window surfaces created here.
namespace platform::wayland
{
class EglContext
{
public:
    // depthBits and stencilBits are the least the surfaces' configuration must offer; samples
    // per pixel are asked for (0: none) and left out where no configuration has them.
    static std::unique_ptr<EglContext> Create(wl_display* display, int depthBits, int stencilBits,
                                              int samples = 0);
    ~EglContext();
    EglContext(EglContext const&) = delete;
    EglContext& operator=(EglContext const&) = delete;

    // A surface on the window; swaps never wait for the compositor (a hidden surface gets
    // no frame events, and a waiting swap would stall every output).
    EGLSurface CreateSurface(wl_egl_window* window);
    void DestroySurface(EGLSurface surface);

    // Binds the context to the surface for drawing and reading; EGL_NO_SURFACE binds it
    // without one where the driver allows it.
    bool MakeCurrent(EGLSurface surface);
    bool SwapBuffers(EGLSurface surface);
    EGLSurface CurrentSurface() const { return m_current; }
    EGLDisplay Display() const { return m_display; }

private:
    EglContext() = default;
    bool Initialize(wl_display* display, int depthBits, int stencilBits, int samples);
    // The first configuration with these buffers; false where there is none.
    bool ChooseConfig(int depthBits, int stencilBits, int samples);

    EGLDisplay m_display = EGL_NO_DISPLAY;
    EGLConfig m_config = nullptr;
    EGLContext m_context = EGL_NO_CONTEXT;
    EGLSurface m_current = EGL_NO_SURFACE;
};
} // namespace platform::wayland
