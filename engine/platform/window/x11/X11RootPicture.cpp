#include "platform/window/x11/X11RootPicture.h"

#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"

#include <X11/Xatom.h>

namespace platform
{
X11RootPicture::~X11RootPicture()
{
    GiveUp();
}

void X11RootPicture::ReadPrevious(SProperty* property)
{
    std::optional<unsigned long> const pixmap =
        ReadFirstPropertyItem(m_display, m_root, property->atom, XA_PIXMAP);
    property->existed = pixmap.has_value();
    if (pixmap)
        property->pixmap = *pixmap;
}

bool X11RootPicture::Begin()
{
    X11Library const& xlib = GetX11Library();
    X11Library const& watch = GetX11Library();
    m_root = xlib.defaultRootWindow(m_display);
    XWindowAttributes root{};
    if (xlib.getWindowAttributes(m_display, m_root, &root) == 0) {
        return false;
    }
    m_width = static_cast<unsigned int>(root.width);
    m_height = static_cast<unsigned int>(root.height);
    m_rootPixmap.atom = watch.internAtom(m_display, "_XROOTPMAP_ID", False);
    m_setRootPixmap.atom = watch.internAtom(m_display, "ESETROOT_PMAP_ID", False);
    ReadPrevious(&m_rootPixmap);
    ReadPrevious(&m_setRootPixmap);
    m_pixmap =
        watch.createPixmap(m_display, m_root, m_width, m_height, static_cast<unsigned int>(root.depth));
    return m_pixmap != 0;
}

void X11RootPicture::ShowWindow(Display* display, unsigned long window, MonitorRect const& area)
{
    X11Library const& watch = GetX11Library();
    if (display == nullptr || !watch.CanKeepDesktopWindows()) {
        return;
    }
    X11ErrorTrap const trap(display);
    bool const first = m_pixmap == 0;
    if (first) {
        m_display = display;
        if (!Begin()) {
            m_display = nullptr;
            return;
        }
    }
    GC const gc = watch.createGC(m_display, m_pixmap, 0, nullptr);
    if (first) {
        // What the window does not reach stays black.
        watch.fillRectangle(m_display, m_pixmap, gc, 0, 0, m_width, m_height);
    }
    watch.copyArea(m_display, window, m_pixmap, gc, 0, 0, static_cast<unsigned int>(area.width),
                   static_cast<unsigned int>(area.height), area.x, area.y);
    watch.freeGC(m_display, gc);
    if (first) {
        unsigned long const pixmap = m_pixmap;
        auto const* value = reinterpret_cast<unsigned char const*>(&pixmap);
        watch.changeProperty(m_display, m_root, m_rootPixmap.atom, XA_PIXMAP, 32, PropModeReplace, value, 1);
        watch.changeProperty(m_display, m_root, m_setRootPixmap.atom, XA_PIXMAP, 32, PropModeReplace, value,
                             1);
    }
    watch.flush(m_display);
}

void X11RootPicture::Restore(SProperty const& property)
{
    X11Library const& watch = GetX11Library();
    // A picture another program set meanwhile stays.
    SProperty current{property.atom};
    ReadPrevious(&current);
    if (current.existed && current.pixmap != m_pixmap) {
        return;
    }
    if (property.existed) {
        unsigned long const pixmap = property.pixmap;
        watch.changeProperty(m_display, m_root, property.atom, XA_PIXMAP, 32, PropModeReplace,
                             reinterpret_cast<unsigned char const*>(&pixmap), 1);
    } else {
        watch.deleteProperty(m_display, m_root, property.atom);
    }
}

void X11RootPicture::GiveUp()
{
    if (m_pixmap == 0) {
        return;
    }
    {
        X11ErrorTrap const trap(m_display);
        Restore(m_rootPixmap);
        Restore(m_setRootPixmap);
        GetX11Library().freePixmap(m_display, m_pixmap);
    }
    m_pixmap = 0;
    m_display = nullptr;
}
} // namespace platform
