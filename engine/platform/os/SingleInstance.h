#pragma once

#include <string>

// Finding another running instance of the program.
namespace platform
{
// True when a window with exactly this title exists on the display.
bool FindWindowByTitle(char const* title);

// A lock file in $XDG_RUNTIME_DIR (else /tmp) held for the lifetime of the object, or of the
// children it was passed to. Acquire fails while another process holds the lock of that name.
class InstanceLock
{
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(InstanceLock const&) = delete;
    InstanceLock& operator=(InstanceLock const&) = delete;

    bool Acquire(char const* name);
    void Release();
    bool IsHeld() const { return m_descriptor >= 0; }
    // Programs started from now on inherit the lock and hold it for as long as they run.
    void PassToChildren();

private:
    int m_descriptor = -1;
    std::string m_path;
};

// The lock name of an instance bound to the display (DISPLAY, or WAYLAND_DISPLAY on Wayland),
// so each display has its own.
std::string GetDisplayLockName(char const* name);

// True when another instance owns the title: a window with it exists on the X display, or
// (without one, and on Wayland) the display's lock of that title is held elsewhere; in the
// latter case the lock is taken.
bool IsAnotherInstanceRunning(char const* title, InstanceLock* lock);
} // namespace platform
