#pragma once

#include "platform/window/MonitorRect.h"

// Xlib's own declaration; its header (and its macros) stay out of the engine's headers.
typedef struct _XDisplay Display;

// The root window's background picture as desktops read it (_XROOTPMAP_ID and
// ESETROOT_PMAP_ID): a pixmap of ours showing what a window drew, put back as it was when the
// picture is given up.
namespace platform
{
class X11RootPicture
{
public:
    X11RootPicture() = default;
    ~X11RootPicture();
    X11RootPicture(X11RootPicture const&) = delete;
    X11RootPicture& operator=(X11RootPicture const&) = delete;

    // Copies what `window` shows (it lies at `area` of the root) into the picture and names
    // the picture on the root; the first call remembers the properties it replaces.
    void ShowWindow(Display* display, unsigned long window, MonitorRect const& area);
    // Puts the replaced properties back and frees the picture.
    void GiveUp();

private:
    struct SProperty
    {
        unsigned long atom = 0;
        bool existed = false;
        unsigned long pixmap = 0;
    };

    bool Begin();
    void ReadPrevious(SProperty* property);
    void Restore(SProperty const& property);

    Display* m_display = nullptr;
    unsigned long m_root = 0;
    unsigned long m_pixmap = 0;
    unsigned int m_width = 0;
    unsigned int m_height = 0;
    SProperty m_rootPixmap;
    SProperty m_setRootPixmap;
};
} // namespace platform
