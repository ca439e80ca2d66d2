#include "platform/window/wayland/EglContext.h"

#include <EGL/eglext.h>

#include <cstdio>

namespace platform::wayland
{
namespace
{
constexpr int ColourChannelBits = 8;

EGLDisplay GetWaylandDisplay(wl_display* display)
{
    auto getPlatformDisplay =
        reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay) {
        EGLDisplay found = getPlatformDisplay(EGL_PLATFORM_WAYLAND_KHR, display, nullptr);
        if (found != EGL_NO_DISPLAY) {
            return found;
        }
    }
    return eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(display));
}
} // namespace

std::unique_ptr<EglContext> EglContext::Create(wl_display* display, int depthBits, int stencilBits,
                                               int samples)
{
    std::unique_ptr<EglContext> context(new EglContext());
    if (!context->Initialize(display, depthBits, stencilBits, samples)) {
        return nullptr;
    }
    return context;
}

bool EglContext::ChooseConfig(int depthBits, int stencilBits, int samples)
{
    // No alpha channel: the compositor shows the surfaces opaque.
    EGLint const configAttributes[] = {
        EGL_SURFACE_TYPE,   EGL_WINDOW_BIT,      EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
        EGL_RED_SIZE,       ColourChannelBits,   EGL_GREEN_SIZE,      ColourChannelBits,
        EGL_BLUE_SIZE,      ColourChannelBits,   EGL_ALPHA_SIZE,      0,
        EGL_DEPTH_SIZE,     depthBits,           EGL_STENCIL_SIZE,    stencilBits,
        EGL_SAMPLE_BUFFERS, samples > 0 ? 1 : 0, EGL_SAMPLES,         samples,
        EGL_NONE,
    };
    EGLint count = 0;
    return eglChooseConfig(m_display, configAttributes, &m_config, 1, &count) && count > 0;
}

bool EglContext::Initialize(wl_display* display, int depthBits, int stencilBits, int samples)
{
    m_display = GetWaylandDisplay(display);
    EGLint major = 0;
    EGLint minor = 0;
    if (m_display == EGL_NO_DISPLAY || !eglInitialize(m_display, &major, &minor)) {
        std::fprintf(stderr, "EGL: no display on the Wayland connection (error 0x%x)\n", eglGetError());
        m_display = EGL_NO_DISPLAY;
        return false;
    }
    if (!eglBindAPI(EGL_OPENGL_API)) {
        std::fprintf(stderr, "EGL: desktop OpenGL is not available\n");
        return false;
    }
    if (!(samples > 0 && ChooseConfig(depthBits, stencilBits, samples)) &&
        !ChooseConfig(depthBits, stencilBits, 0)) {
        std::fprintf(stderr, "EGL: no configuration with depth %d and stencil %d\n", depthBits, stencilBits);
        return false;
    }
    EGLint const compatibilityAttributes[] = {
        EGL_CONTEXT_OPENGL_PROFILE_MASK,
        EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
        EGL_NONE,
    };
    m_context = eglCreateContext(m_display, m_config, EGL_NO_CONTEXT, compatibilityAttributes);
    if (m_context == EGL_NO_CONTEXT) {
        // Before EGL 1.5 the profile attribute is unknown; the default context is compatible.
        m_context = eglCreateContext(m_display, m_config, EGL_NO_CONTEXT, nullptr);
    }
    if (m_context == EGL_NO_CONTEXT) {
        std::fprintf(stderr, "EGL: cannot create an OpenGL context (error 0x%x)\n", eglGetError());
        return false;
    }
    return true;
}

EglContext::~EglContext()
{
    if (m_display == EGL_NO_DISPLAY) {
        return;
    }
    eglMakeCurrent(m_display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (m_context != EGL_NO_CONTEXT) {
        eglDestroyContext(m_display, m_context);
    }
    // The EGL display is shared by every context on the connection (a device made while
    // another still exists included); it is never terminated and ends with the process.
}

EGLSurface EglContext::CreateSurface(wl_egl_window* window)
{
    EGLSurface surface =
        eglCreateWindowSurface(m_display, m_config, reinterpret_cast<EGLNativeWindowType>(window), nullptr);
    if (surface == EGL_NO_SURFACE) {
        return EGL_NO_SURFACE;
    }
    EGLSurface previous = m_current;
    if (MakeCurrent(surface)) {
        eglSwapInterval(m_display, 0);
    }
    if (previous != EGL_NO_SURFACE) {
        MakeCurrent(previous);
    }
    return surface;
}

void EglContext::DestroySurface(EGLSurface surface)
{
    if (surface == EGL_NO_SURFACE) {
        return;
    }
    if (m_current == surface) {
        MakeCurrent(EGL_NO_SURFACE);
    }
    eglDestroySurface(m_display, surface);
}

bool EglContext::MakeCurrent(EGLSurface surface)
{
    if (surface == m_current && eglGetCurrentContext() == m_context) {
        return true;
    }
    if (!eglMakeCurrent(m_display, surface, surface, m_context)) {
        return false;
    }
    m_current = surface;
    return true;
}

bool EglContext::SwapBuffers(EGLSurface surface)
{
    return eglSwapBuffers(m_display, surface) == EGL_TRUE;
}
} // namespace platform::wayland
