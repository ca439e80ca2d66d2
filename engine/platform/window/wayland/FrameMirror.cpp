#include "platform/window/wayland/FrameMirror.h"

#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

namespace platform::wayland
{
namespace
{
// Framebuffer bindings, scissor test and colour mask affect a blit; they are saved around it.
class BlitStateGuard
{
public:
    BlitStateGuard()
    {
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &m_readFramebuffer);
        glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &m_drawFramebuffer);
        glGetBooleanv(GL_COLOR_WRITEMASK, m_colourMask);
        m_scissor = glIsEnabled(GL_SCISSOR_TEST);
        glDisable(GL_SCISSOR_TEST);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    }
    ~BlitStateGuard()
    {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(m_readFramebuffer));
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, GLuint(m_drawFramebuffer));
        glColorMask(m_colourMask[0], m_colourMask[1], m_colourMask[2], m_colourMask[3]);
        if (m_scissor) {
            glEnable(GL_SCISSOR_TEST);
        }
    }
    BlitStateGuard(BlitStateGuard const&) = delete;
    BlitStateGuard& operator=(BlitStateGuard const&) = delete;

private:
    GLint m_readFramebuffer = 0;
    GLint m_drawFramebuffer = 0;
    GLboolean m_colourMask[4] = {};
    GLboolean m_scissor = GL_FALSE;
};
} // namespace

PixelRectangle CoverSourceRectangle(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight)
{
    PixelRectangle rectangle{0, 0, sourceWidth, sourceHeight};
    if (sourceWidth <= 0 || sourceHeight <= 0 || targetWidth <= 0 || targetHeight <= 0) {
        return rectangle;
    }
    // Compare source and target aspect ratios without rounding: sw/sh against tw/th.
    long long sourceSpan = static_cast<long long>(sourceWidth) * targetHeight;
    long long targetSpan = static_cast<long long>(targetWidth) * sourceHeight;
    if (sourceSpan > targetSpan) {
        rectangle.width = int(targetSpan / targetHeight);
        rectangle.x = (sourceWidth - rectangle.width) / 2;
    } else if (sourceSpan < targetSpan) {
        rectangle.height = int(sourceSpan / targetWidth);
        rectangle.y = (sourceHeight - rectangle.height) / 2;
    }
    return rectangle;
}

FrameMirror::~FrameMirror()
{
    ReleaseCopy();
}

void FrameMirror::ReleaseCopy()
{
    if (m_framebuffer == 0 || eglGetCurrentContext() == EGL_NO_CONTEXT) {
        return;
    }
    glDeleteFramebuffers(1, &m_framebuffer);
    glDeleteRenderbuffers(1, &m_renderbuffer);
    m_framebuffer = 0;
    m_renderbuffer = 0;
    m_copyWidth = 0;
    m_copyHeight = 0;
}

bool FrameMirror::CopySource(int width, int height)
{
    if (m_framebuffer == 0 || width != m_copyWidth || height != m_copyHeight) {
        ReleaseCopy();
        glGenRenderbuffers(1, &m_renderbuffer);
        glBindRenderbuffer(GL_RENDERBUFFER, m_renderbuffer);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &m_framebuffer);
        glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_framebuffer);
        glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, m_renderbuffer);
        if (glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
            return false;
        }
        m_copyWidth = width;
        m_copyHeight = height;
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_framebuffer);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    return true;
}

void FrameMirror::DrawCopy(int width, int height, Target const& target)
{
    PixelRectangle part = CoverSourceRectangle(width, height, target.width, target.height);
    if (target.part.width > 0 && target.part.height > 0) {
        // Rows count from the bottom in GL.
        part = target.part;
        part.y = height - (target.part.y + target.part.height);
    }
    bool const same = part.width == target.width && part.height == target.height;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(part.x, part.y, part.x + part.width, part.y + part.height, 0, 0, target.width,
                      target.height, GL_COLOR_BUFFER_BIT, same ? GL_NEAREST : GL_LINEAR);
}

bool FrameMirror::Present(EGLSurface source, int width, int height, std::vector<Target> const& targets)
{
    bool shown = true;
    if (!targets.empty() && width > 0 && height > 0) {
        BlitStateGuard guard;
        if (CopySource(width, height)) {
            for (Target const& target : targets) {
                if (m_context.MakeCurrent(target.surface)) {
                    DrawCopy(width, height, target);
                    shown = m_context.SwapBuffers(target.surface) && shown;
                }
            }
        }
        m_context.MakeCurrent(source);
    }
    return m_context.SwapBuffers(source) && shown;
}
} // namespace platform::wayland
