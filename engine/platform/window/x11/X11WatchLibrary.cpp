#include "platform/window/x11/X11WatchLibrary.h"

#include <dlfcn.h>

namespace platform
{
namespace
{
template <typename Function> void Load(void* library, Function& function, char const* name)
{
    function = library != nullptr ? reinterpret_cast<Function>(dlsym(library, name)) : nullptr;
}

X11WatchLibrary LoadX11WatchLibrary()
{
    X11WatchLibrary xlib;
    void* library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
        return xlib;
    }
    Load(library, xlib.internAtom, "XInternAtom");
    Load(library, xlib.getWindowProperty, "XGetWindowProperty");
    Load(library, xlib.translateCoordinates, "XTranslateCoordinates");
    Load(library, xlib.changeProperty, "XChangeProperty");
    Load(library, xlib.deleteProperty, "XDeleteProperty");
    Load(library, xlib.createWindow, "XCreateWindow");
    Load(library, xlib.destroyWindow, "XDestroyWindow");
    Load(library, xlib.mapWindow, "XMapWindow");
    Load(library, xlib.lowerWindow, "XLowerWindow");
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

    void* extensions = dlopen("libXext.so.6", RTLD_NOW | RTLD_LOCAL);
    Load(extensions, xlib.dpmsQueryExtension, "DPMSQueryExtension");
    Load(extensions, xlib.dpmsInfo, "DPMSInfo");
    void* screenSaver = dlopen("libXss.so.1", RTLD_NOW | RTLD_LOCAL);
    Load(screenSaver, xlib.screenSaverQueryExtension, "XScreenSaverQueryExtension");
    Load(screenSaver, xlib.screenSaverQueryInfo, "XScreenSaverQueryInfo");
    void* randr = dlopen("libXrandr.so.2", RTLD_NOW | RTLD_LOCAL);
    Load(randr, xlib.getMonitors, "XRRGetMonitors");
    Load(randr, xlib.freeMonitors, "XRRFreeMonitors");
    void* xinerama = dlopen("libXinerama.so.1", RTLD_NOW | RTLD_LOCAL);
    Load(xinerama, xlib.xineramaIsActive, "XineramaIsActive");
    Load(xinerama, xlib.xineramaQueryScreens, "XineramaQueryScreens");
    return xlib;
}
} // namespace

X11WatchLibrary const& GetX11WatchLibrary()
{
    static X11WatchLibrary const xlib = LoadX11WatchLibrary();
    return xlib;
}

std::optional<unsigned long> ReadFirstPropertyItem(Display* display, Window window, Atom property, Atom type)
{
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::optional<unsigned long> item;
    if (GetX11WatchLibrary().getWindowProperty(display, window, property, 0, 1, False, type, &actualType,
                                               &format, &count, &remaining, &data) == Success &&
        actualType == type && format == 32 && count >= 1 && data != nullptr) {
        item = *reinterpret_cast<unsigned long*>(data);
    }
    if (data != nullptr) {
        GetX11Library().free(data);
    }
    return item;
}
} // namespace platform
