#include "platform/gl/GLWindowFramebuffer.h"

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

bool GLWindowFramebuffer::Create(int width, int height)
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
    if (!complete || glGetError() != GL_NO_ERROR) {
        Release();
        return false;
    }
    m_width = width;
    m_height = height;
    return true;
}

void GLWindowFramebuffer::Release()
{
    if (m_framebuffer != 0)
        glDeleteFramebuffers(1, &m_framebuffer);
    if (m_colour != 0)
        glDeleteTextures(1, &m_colour);
    if (m_depth != 0)
        glDeleteRenderbuffers(1, &m_depth);
    m_framebuffer = m_colour = m_depth = 0;
    m_buffers = 0;
    m_width = m_height = 0;
}
} // namespace platform
