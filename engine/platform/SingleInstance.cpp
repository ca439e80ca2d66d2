#include "platform/SingleInstance.h"

#include <X11/Xlib.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform
{
namespace
{
// The few Xlib calls the window search needs, loaded when first used so the engine runs
// (with the lock-file fallback) where no X11 client library is installed.
struct Xlib
{
    void* library = nullptr;
    Display* (*openDisplay)(char const*) = nullptr;
    int (*closeDisplay)(Display*) = nullptr;
    Window (*defaultRootWindow)(Display*) = nullptr;
    Status (*queryTree)(Display*, Window, Window*, Window*, Window**, unsigned int*) = nullptr;
    Status (*fetchName)(Display*, Window, char**) = nullptr;
    int (*free)(void*) = nullptr;
    XErrorHandler (*setErrorHandler)(XErrorHandler) = nullptr;

    Xlib()
    {
        library = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            return;
        }
        Load(openDisplay, "XOpenDisplay");
        Load(closeDisplay, "XCloseDisplay");
        Load(defaultRootWindow, "XDefaultRootWindow");
        Load(queryTree, "XQueryTree");
        Load(fetchName, "XFetchName");
        Load(free, "XFree");
        Load(setErrorHandler, "XSetErrorHandler");
    }

    template <typename Function> void Load(Function& function, char const* name)
    {
        function = reinterpret_cast<Function>(dlsym(library, name));
    }

    bool IsUsable() const
    {
        return openDisplay && closeDisplay && defaultRootWindow && queryTree && fetchName && free &&
               setErrorHandler;
    }
};

Xlib const& GetXlib()
{
    static Xlib const xlib;
    return xlib;
}

bool HasTitle(Xlib const& xlib, Display* display, Window window, char const* title)
{
    char* name = nullptr;
    if (xlib.fetchName(display, window, &name) == 0 || name == nullptr) {
        return false;
    }
    bool const match = std::strcmp(name, title) == 0;
    xlib.free(name);
    return match;
}

// Windows may vanish while the tree is walked; the errors that causes are expected.
int IgnoreError(Display*, XErrorEvent*)
{
    return 0;
}

// Depth-first over the window tree (window managers put client windows inside frames).
bool SearchTreeUnguarded(Xlib const& xlib, Display* display, Window root, char const* title)
{
    std::vector<Window> pending{root};
    while (!pending.empty()) {
        Window const window = pending.back();
        pending.pop_back();
        if (HasTitle(xlib, display, window, title)) {
            return true;
        }
        Window rootReturn = 0;
        Window parentReturn = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        if (xlib.queryTree(display, window, &rootReturn, &parentReturn, &children, &count) == 0) {
            continue;
        }
        pending.insert(pending.end(), children, children + count);
        if (children != nullptr) {
            xlib.free(children);
        }
    }
    return false;
}

bool SearchTree(Xlib const& xlib, Display* display, Window root, char const* title)
{
    XErrorHandler const previous = xlib.setErrorHandler(&IgnoreError);
    bool const found = SearchTreeUnguarded(xlib, display, root, title);
    xlib.setErrorHandler(previous);
    return found;
}

Display* OpenDisplay(Xlib const& xlib)
{
    if (!xlib.IsUsable() || std::getenv("DISPLAY") == nullptr) {
        return nullptr;
    }
    return xlib.openDisplay(nullptr);
}

std::string LockPath(char const* name)
{
    char const* directory = std::getenv("XDG_RUNTIME_DIR");
    std::string path = directory != nullptr && *directory != '\0' ? directory : "/tmp";
    path += "/tidewell-";
    path += std::to_string(static_cast<unsigned long>(getuid()));
    path += '-';
    for (char const* c = name; *c != '\0'; ++c) {
        path += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    }
    path += ".lock";
    return path;
}
} // namespace

bool FindWindowByTitle(char const* title)
{
    if (title == nullptr) {
        return false;
    }
    Xlib const& xlib = GetXlib();
    Display* display = OpenDisplay(xlib);
    if (display == nullptr) {
        return false;
    }
    bool const found = SearchTree(xlib, display, xlib.defaultRootWindow(display), title);
    xlib.closeDisplay(display);
    return found;
}

InstanceLock::~InstanceLock()
{
    Release();
}

bool InstanceLock::Acquire(char const* name)
{
    Release();
    std::string const path = LockPath(name != nullptr ? name : "");
    int const descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        return false;
    }
    if (flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        close(descriptor);
        return false;
    }
    m_descriptor = descriptor;
    m_path = path;
    return true;
}

void InstanceLock::Release()
{
    if (m_descriptor >= 0) {
        close(m_descriptor);
        m_descriptor = -1;
        m_path.clear();
    }
}

bool IsAnotherInstanceRunning(char const* title, InstanceLock* lock)
{
    Xlib const& xlib = GetXlib();
    if (Display* display = OpenDisplay(xlib)) {
        bool const found = SearchTree(xlib, display, xlib.defaultRootWindow(display), title);
        xlib.closeDisplay(display);
        return found;
    }
    return lock == nullptr || !lock->Acquire(title);
}
} // namespace platform
