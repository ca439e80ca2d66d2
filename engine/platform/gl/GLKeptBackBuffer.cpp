#include "platform/gl/GLKeptBackBuffer.h"

#include <initializer_list>

namespace platform
{
namespace
{
// Bits of one of the window's buffers; 0 where it has none.
GLint GetWindowBufferSize(GLenum buffer, GLenum size)
{
    GLint type = GL_NONE;
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, buffer, GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE,
                                          &type);
    GLint value = 0;
    if (type != GL_NONE)
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, buffer, size, &value);
    return value;
}

// The renderbuffer format matching the window's depth and stencil bits; 0 for none.
GLenum GetDepthFormat(GLint depthBits, GLint stencilBits)
{
    if (stencilBits > 0)
        return depthBits > 24 ? GL_DEPTH32F_STENCIL8 : GL_DEPTH24_STENCIL8;
    switch (depthBits) {
    case 0:
        return 0;
    case 16:
        return GL_DEPTH_COMPONENT16;
    case 24:
        return GL_DEPTH_COMPONENT24;
    default:
        return GL_DEPTH_COMPONENT32;
    }
}
} // namespace

bool GLKeptBackBuffer::Begin(std::array<int, 2> size, bool overKept)
{
    if (overKept) {
        if (!m_kept || size[0] != m_width || size[1] != m_height)
            return false;
        m_kept = false;
    } else if (!Fit(size)) {
        return false;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    m_drawing = true;
    return true;
}

bool GLKeptBackBuffer::BeginTrial()
{
    if (!Fit({1, 1}))
        return false;
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
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
    m_kept = CopyIntoWindow();
    return m_kept;
}

bool GLKeptBackBuffer::Fit(std::array<int, 2> size)
{
    auto const [width, height] = size;
    m_kept = false;
    if (!m_available || width <= 0 || height <= 0)
        return false;
    if ((width != m_width || height != m_height || m_framebuffer == 0) && !Create(width, height)) {
        Release();
        m_available = false;
        return false;
    }
    return true;
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
    auto const [width, height] = size;
    if (!m_kept || width != m_width || height != m_height)
        return false;
    return CopyIntoWindow();
}

void GLKeptBackBuffer::Release()
{
    if (m_drawing)
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    m_drawing = false;
    m_trial = false;
    if (m_framebuffer != 0)
        glDeleteFramebuffers(1, &m_framebuffer);
    if (m_colour != 0)
        glDeleteTextures(1, &m_colour);
    if (m_depth != 0)
        glDeleteRenderbuffers(1, &m_depth);
    m_framebuffer = m_colour = m_depth = 0;
    m_width = m_height = 0;
    m_kept = false;
}

bool GLKeptBackBuffer::Create(int width, int height)
{
    Release();
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    GLint samples = 0;
    glGetIntegerv(GL_SAMPLE_BUFFERS, &samples);
    if (samples != 0)
        return false;
    GLenum const depthFormat =
        GetDepthFormat(GetWindowBufferSize(GL_DEPTH, GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE),
                       GetWindowBufferSize(GL_STENCIL, GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE));
    glGenFramebuffers(1, &m_framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_framebuffer);
    // Unsized with BGRA data: the driver picks the window's own layout (a software rasteriser
    // then copies rows instead of drawing a textured pass).
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glGenTextures(1, &m_colour);
    glBindTexture(GL_TEXTURE_2D, m_colour);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colour, 0);
    m_buffers = GL_COLOR_BUFFER_BIT;
    if (depthFormat != 0) {
        bool const stencil = depthFormat == GL_DEPTH24_STENCIL8 || depthFormat == GL_DEPTH32F_STENCIL8;
        glGenRenderbuffers(1, &m_depth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
        glRenderbufferStorage(GL_RENDERBUFFER, depthFormat, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, stencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT,
                                  GL_RENDERBUFFER, m_depth);
        m_buffers |= stencil ? GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT : GL_DEPTH_BUFFER_BIT;
    }
    bool const complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete || glGetError() != GL_NO_ERROR)
        return false;
    m_width = width;
    m_height = height;
    return true;
}

bool GLKeptBackBuffer::CopyIntoWindow()
{
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_framebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // Each buffer on its own and turned upside down (the copy was drawn turned): a software
    // rasteriser stores windows and framebuffer objects upside down to one another, and copies
    // rows only for one buffer at a time that it need not turn.
    for (GLbitfield const buffer :
         {GLbitfield(GL_COLOR_BUFFER_BIT), GLbitfield(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)}) {
        if (GLbitfield const mask = m_buffers & buffer)
            glBlitFramebuffer(0, 0, m_width, m_height, 0, m_height, m_width, 0, mask, GL_NEAREST);
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (glGetError() == GL_NO_ERROR)
        return true;
    // The formats do not match the window's after all: keep nothing from now on.
    Release();
    m_available = false;
    return false;
}
} // namespace platform
