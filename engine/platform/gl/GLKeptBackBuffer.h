#pragma once

#include "platform/gl/OpenGL.h"

#include <array>

namespace platform
{
// One copy of the window's back buffer (colour, depth and stencil) in a framebuffer object of
// the same formats, drawn into and copied into the window as a plain block copy. Needs framebuffer
// objects (GL 3.0 or GL_ARB_framebuffer_object) and a single-sampled window. Every call
// expects the context to be current.
class GLKeptBackBuffer
{
public:
    // Whether the context can keep a copy at all (asked once).
    void SetAvailable(bool available) { m_available = available; }

    // Binds the copy (made for the given size) as the target of drawing; false where no copy
    // can be kept, or, `overKept`, where none of this size is kept. The copy is stored upside
    // down to the window: the caller draws turned.
    bool Begin(std::array<int, 2> size, bool overKept);
    // Binds a copy of one pixel as the target of drawing, dropped again by Keep; false where no
    // copy can be kept.
    bool BeginTrial();
    // Ends the drawing Begin started and copies the copy into the back buffer; false without
    // a Begin, or where the copy fails. After BeginTrial it only drops the copy.
    bool Keep();
    // Makes a copy of one pixel and lets it go: false where no copy can be kept.
    bool Prepare();
    // Copies the kept buffer back; false when none of this size is kept.
    bool Restore(std::array<int, 2> size);
    void Release();

private:
    // A copy of the given size exists (made when missing); false where none can be.
    bool Fit(std::array<int, 2> size);
    bool Create(int width, int height);
    // Copies the copy into the window's back buffer.
    bool CopyIntoWindow();

    bool m_available = false;
    bool m_kept = false;
    bool m_drawing = false;
    bool m_trial = false;
    GLuint m_framebuffer = 0;
    GLuint m_colour = 0; // texture
    GLuint m_depth = 0;  // renderbuffer
    GLbitfield m_buffers = 0;
    int m_width = 0;
    int m_height = 0;
};
} // namespace platform
