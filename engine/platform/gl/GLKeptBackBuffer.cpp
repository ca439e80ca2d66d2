#include "platform/gl/GLKeptBackBuffer.h"

#include <initializer_list>

namespace platform
{
bool GLKeptBackBuffer::Begin(std::array<int, 2> size, bool overKept)
{
    if (overKept) {
        if (!m_kept || !m_copy.HasSize(size[0], size[1]))
            return false;
        m_kept = false;
    } else if (!Fit(size)) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_copy.GetFramebuffer());
    m_drawing = true;
    return true;
}

bool GLKeptBackBuffer::BeginTrial()
{
    if (!Fit({1, 1}))
        return false;
    glBindFramebuffer(GL_FRAMEBUFFER, m_copy.GetFramebuffer());
    m_drawing = true;
    m_trial = true;
    return true;
}

bool GLKeptBackBuffer::Keep()
{
    if (!m_drawing)
        return false;
    if (m_trial) {
        Release();
        return true;
    }
    m_drawing = false;
    m_kept = CopyIntoTarget();
    return m_kept;
}

bool GLKeptBackBuffer::Fit(std::array<int, 2> size)
{
    auto const [width, height] = size;
    m_kept = false;
    if (!m_available || width <= 0 || height <= 0)
        return false;
    if (m_copy.IsMade() && m_copy.HasSize(width, height))
        return true;
    bool const made = m_copy.Create(width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, m_target);
    if (!made) {
        Release();
        m_available = false;
    }
    return made;
}

bool GLKeptBackBuffer::Prepare()
{
    if (!Fit({1, 1}))
        return false;
    Release();
    return true;
}

bool GLKeptBackBuffer::Restore(std::array<int, 2> size)
{
    if (!m_kept || !m_copy.HasSize(size[0], size[1]))
        return false;
    return CopyIntoTarget();
}

void GLKeptBackBuffer::Release()
{
    if (m_drawing)
        glBindFramebuffer(GL_FRAMEBUFFER, m_target);
    m_drawing = false;
    m_trial = false;
    m_copy.Release();
    m_kept = false;
}

bool GLKeptBackBuffer::CopyIntoTarget()
{
    while (glGetError() != GL_NO_ERROR) {
    }
    int const width = m_copy.GetWidth();
    int const height = m_copy.GetHeight();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_copy.GetFramebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, m_target);
    // Each buffer on its own: a software rasteriser copies rows only for one buffer at a time
    // that it need not turn. It stores windows and framebuffer objects upside down to one
    // another, so a copy for the window was drawn turned and is turned back here.
    int const top = IsDrawnTurned() ? height : 0;
    int const bottom = IsDrawnTurned() ? 0 : height;
    for (GLbitfield const buffer :
         {GLbitfield(GL_COLOR_BUFFER_BIT), GLbitfield(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)}) {
        if (GLbitfield const mask = m_copy.GetBuffers() & buffer)
            glBlitFramebuffer(0, 0, width, height, 0, top, width, bottom, mask, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_target);
    if (glGetError() == GL_NO_ERROR)
        return true;
    // The formats do not match the target's after all: keep nothing from now on.
    Release();
    m_available = false;
    return false;
}
} // namespace platform
