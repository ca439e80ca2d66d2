#pragma once

#include "platform/gl/OpenGL.h"

namespace platform
{
// A framebuffer object in the window's own formats: a colour texture and, where the window has
// them, depth and stencil in one renderbuffer, so that blocks copy between it and the window
// (or another of its kind) without conversion. Expects the context to be current.
class GLWindowFramebuffer
{
public:
    GLWindowFramebuffer() = default;
    GLWindowFramebuffer(GLWindowFramebuffer const&) = delete;
    GLWindowFramebuffer& operator=(GLWindowFramebuffer const&) = delete;

    // Makes it at the given size, the window's formats read with the window bound; false (and
    // nothing made) where the window is multisampled or the driver refuses. Leaves the window
    // bound.
    bool Create(int width, int height);
    void Release();

    bool IsMade() const { return m_framebuffer != 0; }
    bool HasSize(int width, int height) const { return width == m_width && height == m_height; }
    GLuint GetFramebuffer() const { return m_framebuffer; }
    // The buffers it holds, as glBlitFramebuffer's mask.
    GLbitfield GetBuffers() const { return m_buffers; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }

private:
    GLuint m_framebuffer = 0;
    GLuint m_colour = 0; // texture
    GLuint m_depth = 0;  // renderbuffer
    GLbitfield m_buffers = 0;
    int m_width = 0;
    int m_height = 0;
};
} // namespace platform
