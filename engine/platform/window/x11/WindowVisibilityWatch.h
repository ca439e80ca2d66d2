#pragma once

struct _XDisplay;
union _XEvent;

// Whether a window can be seen: false while it is unmapped or fully covered by other windows.
// Follows the window's map and visibility events over an X connection of its own, so the
// window may belong to another program (a preview host, a screen-saver daemon).
namespace platform
{
class WindowVisibilityWatch
{
public:
    WindowVisibilityWatch() = default;
    ~WindowVisibilityWatch();
    WindowVisibilityWatch(WindowVisibilityWatch const&) = delete;
    WindowVisibilityWatch& operator=(WindowVisibilityWatch const&) = delete;

    // Starts watching the X window `nativeWindowId`; false without a display or the window.
    bool Watch(unsigned long nativeWindowId);
    void Stop();
    bool IsWatching() const { return m_display != nullptr; }

    // Reads the events that arrived since the last call; true while watching nothing.
    bool IsShown();

private:
    void Apply(_XEvent const& event);

    _XDisplay* m_display = nullptr;
    unsigned long m_window = 0; // an X window id
    bool m_mapped = true;
    bool m_obscured = false;
};
} // namespace platform
