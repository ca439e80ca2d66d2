#pragma once

#include "platform/gl/GLWindowFramebuffer.h"
#include "platform/gl/OpenGL.h"

#include <array>

namespace platform
{
// One copy of the frame's target (colour, depth and stencil) in a framebuffer object of the
// window's formats, drawn into and copied into the target as a plain block copy. The target is
// the window's back buffer or a framebuffer object of the same formats. Needs framebuffer
// objects and a single-sampled window. Every call expects the context to be current.
class GLKeptBackBuffer
{
public:
    // Whether the context can keep a copy at all (asked once).
    void SetAvailable(bool available) { m_available = available; }

    // The framebuffer the copy is copied into and that is bound again after it (0: the window).
    void SetTarget(GLuint framebuffer) { m_target = framebuffer; }
    // A copy for the window is stored upside down to it: the caller then draws turned.
    bool IsDrawnTurned() const { return m_target == 0; }

    // Binds the copy (made for the given size) as the target of drawing; false where no copy
    // can be kept, or, `overKept`, where none of this size is kept.
    bool Begin(std::array<int, 2> size, bool overKept);
    // Binds a copy of one pixel as the target of drawing, dropped again by Keep; false where no
    // copy can be kept.
    bool BeginTrial();
    // Ends the drawing Begin started and copies the copy into the target; false without
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
    bool CopyIntoTarget();

    bool m_available = false;
    bool m_kept = false;
    bool m_drawing = false;
    bool m_trial = false;
    GLuint m_target = 0;
    GLWindowFramebuffer m_copy;
};
} // namespace platform
