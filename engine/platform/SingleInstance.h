#pragma once

#include <string>

// Finding another running instance of the program.
namespace platform
{
// True when a window with exactly this title exists on the display.
bool FindWindowByTitle(char const* title);

// A lock held for the lifetime of the object, for where windows cannot be searched (no
// X11 display). Acquire fails while another process holds the lock of that name.
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

private:
    int m_descriptor = -1;
    std::string m_path;
};

// True when another instance owns the title: a window with it exists, or (without a
// display) the lock of that title is held elsewhere; in the latter case the lock is taken.
bool IsAnotherInstanceRunning(char const* title, InstanceLock* lock);
} // namespace platform
