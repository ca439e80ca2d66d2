#include "platform/gl/GLScaledFrame.h"

#include <algorithm>
#include <cmath>

namespace platform
{
std::array<int, 2> GLScaledFrame::GetScaledSize(std::array<int, 2> window, float scale)
{
    scale = std::clamp(scale, 0.0f, 1.0f);
    return {std::max(1, int(std::lround(float(window[0]) * scale))),
            std::max(1, int(std::lround(float(window[1]) * scale)))};
}

bool GLScaledFrame::Bind(std::array<int, 2> size)
{
    auto const [width, height] = size;
    if (!m_available || width <= 0 || height <= 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return false;
    }
    if (!m_frame.IsMade() || !m_frame.HasSize(width, height)) {
        if (!m_frame.Create(width, height)) {
            // A multisampled window or a refusing driver: it will not work later either.
            m_available = false;
            return false;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, m_frame.GetFramebuffer());
    return true;
}

bool GLScaledFrame::StretchIntoWindow(std::array<int, 2> window)
{
    if (!m_frame.IsMade())
        return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, m_frame.GetFramebuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBlitFramebuffer(0, 0, m_frame.GetWidth(), m_frame.GetHeight(), 0, 0, window[0], window[1],
                      GL_COLOR_BUFFER_BIT, GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return glGetError() == GL_NO_ERROR;
}
} // namespace platform
