#include "platform/os/SingleInstance.h"

#include "platform/window/WindowSystem.h"
#include "platform/window/x11/X11Library.h"

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
bool HasTitle(X11Library const& xlib, Display* display, Window window, char const* title)
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
bool SearchTreeUnguarded(X11Library const& xlib, Display* display, Window root, char const* title)
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

// Searches the display and closes the connection.
bool SearchDisplay(Display* display, char const* title)
{
    X11Library const& xlib = GetX11Library();
    XErrorHandler const previous = xlib.setErrorHandler(&IgnoreError);
    bool const found = SearchTreeUnguarded(xlib, display, xlib.defaultRootWindow(display), title);
    xlib.setErrorHandler(previous);
    xlib.closeDisplay(display);
    return found;
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
    Display* display = OpenX11Display();
    return display != nullptr && SearchDisplay(display, title);
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

void InstanceLock::PassToChildren()
{
    if (m_descriptor >= 0) {
        fcntl(m_descriptor, F_SETFD, 0);
    }
}

std::string GetDisplayLockName(char const* name)
{
    bool const wayland = GetActiveWindowSystem() == WindowSystem::Wayland;
    char const* display = std::getenv(wayland ? "WAYLAND_DISPLAY" : "DISPLAY");
    std::string text = name != nullptr ? name : "";
    text += " on ";
    text += display != nullptr ? display : "no display";
    return text;
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
    if (title == nullptr) {
        return false;
    }
    // Windows of a Wayland session are not on an X display, even where one is reachable.
    if (GetActiveWindowSystem() == WindowSystem::X11) {
        if (Display* display = OpenX11Display()) {
            return SearchDisplay(display, title);
        }
    }
    return lock == nullptr || !lock->Acquire(GetDisplayLockName(title).c_str());
}
} // namespace platform
