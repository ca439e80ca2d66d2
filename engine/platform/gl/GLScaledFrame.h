#pragma once

#include "platform/gl/GLWindowFramebuffer.h"
#include "platform/gl/OpenGL.h"

#include <array>

namespace platform
{
// The frame drawn smaller than the window, into a framebuffer object of the window's formats,
// and stretched over the whole window with linear filtering before it is shown. Needs
// framebuffer objects and a single-sampled window. Every call expects the context to be current.
class GLScaledFrame
{
public:
    // Whether the context has framebuffer objects (asked once).
    void SetAvailable(bool available) { m_available = available; }

    // The size drawn at `scale` (0 to 1) of a window of `window` pixels; at least one pixel.
    static std::array<int, 2> GetScaledSize(std::array<int, 2> window, float scale);

    // Binds a frame of the given size (made when missing) as the target of drawing; false,
    // with the window bound, where none can be made.
    bool Bind(std::array<int, 2> size);
    GLuint GetFramebuffer() const { return m_frame.GetFramebuffer(); }
    // Stretches the frame's colour over the window's back buffer of `window` pixels and leaves
    // the window bound; false where the driver refuses.
    bool StretchIntoWindow(std::array<int, 2> window);
    void Release() { m_frame.Release(); }

private:
    bool m_available = false;
    GLWindowFramebuffer m_frame;
};
} // namespace platform
