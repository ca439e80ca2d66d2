#include "platform/window/x11/X11Library.h"

#include <dlfcn.h>

#include <cstdlib>

namespace platform
{
namespace
{
template <typename Function> void Load(void* library, Function& function, char const* name)
{
    function = library != nullptr ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

void LoadCoreCalls(void* library, X11Library& xlib)
{
    Load(library, xlib.openDisplay, "XOpenDisplay");
    Load(library, xlib.closeDisplay, "XCloseDisplay");
    Load(library, xlib.defaultRootWindow, "XDefaultRootWindow");
    Load(library, xlib.queryTree, "XQueryTree");
    Load(library, xlib.fetchName, "XFetchName");
    Load(library, xlib.free, "XFree");
    Load(library, xlib.setErrorHandler, "XSetErrorHandler");
    Load(library, xlib.selectInput, "XSelectInput");
    Load(library, xlib.pending, "XPending");
    Load(library, xlib.nextEvent, "XNextEvent");
    Load(library, xlib.getWindowAttributes, "XGetWindowAttributes");
    Load(library, xlib.sync, "XSync");
    Load(library, xlib.internAtom, "XInternAtom");
    Load(library, xlib.getWindowProperty, "XGetWindowProperty");
    Load(library, xlib.translateCoordinates, "XTranslateCoordinates");
    Load(library, xlib.queryPointer, "XQueryPointer");
}

void LoadDesktopCalls(void* library, X11Library& xlib)
{
    Load(library, xlib.changeProperty, "XChangeProperty");
    Load(library, xlib.deleteProperty, "XDeleteProperty");
    Load(library, xlib.createWindow, "XCreateWindow");
    Load(library, xlib.destroyWindow, "XDestroyWindow");
    Load(library, xlib.mapWindow, "XMapWindow");
    Load(library, xlib.lowerWindow, "XLowerWindow");
    Load(library, xlib.moveResizeWindow, "XMoveResizeWindow");
    Load(library, xlib.storeName, "XStoreName");
    Load(library, xlib.setWMHints, "XSetWMHints");
    Load(library, xlib.setClassHint, "XSetClassHint");
    Load(library, xlib.sendEvent, "XSendEvent");
    Load(library, xlib.flush, "XFlush");
    Load(library, xlib.createPixmap, "XCreatePixmap");
    Load(library, xlib.freePixmap, "XFreePixmap");
    Load(library, xlib.createGC, "XCreateGC");
    Load(library, xlib.freeGC, "XFreeGC");
    Load(library, xlib.copyArea, "XCopyArea");
    Load(library, xlib.fillRectangle, "XFillRectangle");
}

void LoadRandR(void* library, X11Library& xlib)
{
    Load(library, xlib.getMonitors, "XRRGetMonitors");
    Load(library, xlib.freeMonitors, "XRRFreeMonitors");
    Load(library, xlib.randrQueryExtension, "XRRQueryExtension");
    Load(library, xlib.randrQueryVersion, "XRRQueryVersion");
    Load(library, xlib.getScreenResources, "XRRGetScreenResourcesCurrent");
    Load(library, xlib.freeScreenResources, "XRRFreeScreenResources");
    Load(library, xlib.getCrtcInfo, "XRRGetCrtcInfo");
    Load(library, xlib.freeCrtcInfo, "XRRFreeCrtcInfo");
    Load(library, xlib.getCrtcGammaSize, "XRRGetCrtcGammaSize");
    Load(library, xlib.getCrtcGamma, "XRRGetCrtcGamma");
    Load(library, xlib.allocGamma, "XRRAllocGamma");
    Load(library, xlib.setCrtcGamma, "XRRSetCrtcGamma");
    Load(library, xlib.freeGamma, "XRRFreeGamma");
}

X11Library LoadX11Library()
{
    X11Library xlib;
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return xlib;
    }
    LoadCoreCalls(library, xlib);
    LoadDesktopCalls(library, xlib);

    void* extensions = dlopen("libXext.so.6", RTLD_NOW | RTLD_LOCAL);
    Load(extensions, xlib.dpmsQueryExtension, "DPMSQueryExtension");
    Load(extensions, xlib.dpmsInfo, "DPMSInfo");
    void* screenSaver = dlopen("libXss.so.1", RTLD_NOW | RTLD_LOCAL);
    Load(screenSaver, xlib.screenSaverQueryExtension, "XScreenSaverQueryExtension");
    Load(screenSaver, xlib.screenSaverQueryInfo, "XScreenSaverQueryInfo");
    LoadRandR(dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL), xlib);
    void* xinerama = dlopen("libXinerama.so.1", RTLD_NOW | RTLD_LOCAL);
    Load(xinerama, xlib.xineramaIsActive, "XineramaIsActive");
    Load(xinerama, xlib.xineramaQueryScreens, "XineramaQueryScreens");
    return xlib;
}
} // namespace

X11Library const& GetX11Library()
{
    static X11Library const xlib = LoadX11Library();
    return xlib;
}

Display* OpenX11Display()
{
    X11Library const& xlib = GetX11Library();
    if (!xlib.IsUsable() || std::getenv("DISPLAY") == nullptr) {
        return nullptr;
    }
    return xlib.openDisplay(nullptr);
}

std::optional<unsigned long> ReadFirstPropertyItem(Display* display, Window window, Atom property, Atom type)
{
    X11Library const& xlib = GetX11Library();
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::optional<unsigned long> item;
    if (xlib.getWindowProperty(display, window, property, 0, 1, False, type, &actualType, &format, &count,
                               &remaining, &data) == Success &&
        actualType == type && format == 32 && count >= 1 && data != nullptr) {
        item = *reinterpret_cast<unsigned long*>(data);
    }
    if (data != nullptr) {
        xlib.free(data);
    }
    return item;
}
} // namespace platform
