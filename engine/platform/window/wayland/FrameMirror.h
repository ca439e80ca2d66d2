#pragma once

#include "platform/window/wayland/EglContext.h"

#include <vector>

// The device draws one picture, on the largest output's surface. Presenting copies to every
// other output's surface its own part of that picture where it has one (drawn at its size),
// else the whole picture scaled to that output's size and cropped to its aspect ratio so
// nothing is stretched, and then shows them all.
namespace platform::wayland
{
struct PixelRectangle
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The centred part of a source picture that has the target's aspect ratio.
PixelRectangle CoverSourceRectangle(int sourceWidth, int sourceHeight, int targetWidth, int targetHeight);

class FrameMirror
{
public:
    struct Target
    {
        EGLSurface surface;
        int width;
        int height;
        PixelRectangle part; // of the source (top left origin); a zero width: the whole
    };

    explicit FrameMirror(EglContext& context) : m_context(context) {}
    ~FrameMirror();
    FrameMirror(FrameMirror const&) = delete;
    FrameMirror& operator=(FrameMirror const&) = delete;

    // Copies the back buffer of source (width x height, current) to each target, swaps
    // the targets and then the source, which stays current; GL state is left as found.
    bool Present(EGLSurface source, int width, int height, std::vector<Target> const& targets);

private:
    bool CopySource(int width, int height);
    void DrawCopy(int width, int height, Target const& target);
    void ReleaseCopy();

    EglContext& m_context;
    unsigned int m_framebuffer = 0;
    unsigned int m_renderbuffer = 0;
    int m_copyWidth = 0;
    int m_copyHeight = 0;
};
} // namespace platform::wayland
