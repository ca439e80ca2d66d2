#pragma once

#include "platform/window/Display.h"
#include "platform/window/GLContext.h"
#include "platform/window/MonitorRect.h"
#include "platform/window/NativeWindow.h"
#include "platform/window/WindowCover.h"
#include "platform/window/WindowHandle.h"
#include "platform/window/WindowSystem.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The seam between the engine's window calls (NativeWindow.h, EventPump.h, Display.h) and a
// window system. One back end per system, each in its own folder (x11/, wayland/); its events
// are fed to the engine through WindowEvents.h.
namespace platform
{
class WindowBackend;

// A window as one back end holds it; HWND points at one.
class BackendWindow
{
public:
    explicit BackendWindow(WindowBackend& backend) : m_backend(backend) {}
    virtual ~BackendWindow() = default;
    BackendWindow(BackendWindow const&) = delete;
    BackendWindow& operator=(BackendWindow const&) = delete;

    WindowBackend& GetBackend() const { return m_backend; }

    // A window of another program that this one only draws into.
    virtual bool IsForeign() const = 0;
    // The window system's own id (X11 window); 0 where there is none.
    virtual unsigned long GetNativeId() const = 0;
    // The size a foreign window has now, as its back end saw it; ignored for own windows.
    virtual void SetForeignSize(unsigned int width, unsigned int height) = 0;
    virtual void GetDrawableSize(int* width, int* height) const = 0;
    virtual void SetStyle(NativeWindowStyle style, int left, int top, unsigned int width,
                          unsigned int height) = 0;
    virtual void SetTopmost(bool topmost) = 0;
    virtual void SetTitle(char const* title) = 0;
    virtual void GetClientSize(unsigned int* width, unsigned int* height) const = 0;
    virtual void GetRectangle(int* left, int* top, int* width, int* height) const = 0;
    virtual void Show() = 0;
    virtual void Raise() = 0;
    // Puts a background window below the others of its kind (the wallpaper's desktop window
    // under another program's); nothing for other windows.
    virtual void LowerBelowDesktops() {}
    virtual void Focus() = 0;
    virtual void Minimize() = 0;
    virtual void Restore() = 0;
    virtual bool IsMinimized() const = 0;
    virtual bool IsFullScreen() const = 0;
    // The monitors the window covers, in its drawable's pixels; the whole drawable where the
    // back end knows no better.
    virtual std::vector<MonitorRect> GetMonitorRects() const
    {
        int width = 0;
        int height = 0;
        GetDrawableSize(&width, &height);
        return {MonitorRect{0, 0, width, height}};
    }
    // Keyboard focus as the window system tells it (before any focus event came).
    virtual bool HasSystemFocus() const = 0;
    virtual bool GetCursorPosition(int* x, int* y) const = 0;
    virtual void SetCursorPosition(int x, int y) = 0;
    // False while another window lies over this one under the pointer; back ends that only
    // hear of the pointer over the window itself say true.
    virtual bool IsPointerOnTop() const { return true; }
    // True once a window manager runs over a wallpaper that draws into the bare root window
    // because none ran at its start: under the manager's compositor the root is not seen.
    virtual bool HasWindowManagerArrived() const { return false; }
    // The gamma ramp of the output the window is on; false when it offers none.
    virtual bool GetGammaRamp(GammaRamp* ramp) = 0;
    // True only when the output took the ramp.
    virtual bool SetGammaRamp(GammaRamp const& ramp) = 0;
    virtual bool CanDrawWithGL() const = 0;
    // Null when the system refuses a context (GLContext.h makes them).
    virtual std::shared_ptr<GLContext> CreateGLContext(GLContextAttributes const& attributes) = 0;
    // Samples per pixel of the drawing surface the window was made with (0: not multisampled).
    unsigned int GetSamples() const { return m_samples; }
    void SetSamples(unsigned int samples) { m_samples = samples; }

    // What the back end last reported of the window (WindowEvents.h; EventPump.cpp keeps it).
    WindowCover GetCover() const { return m_cover; }
    void NoteCover(WindowCover cover) { m_cover = cover; }
    bool IsDestroyed() const { return m_destroyed; }
    void NoteDestroyed() { m_destroyed = true; }
    // Grows by one whenever the monitors the window covers change.
    unsigned int GetMonitorsChangeCount() const { return m_monitorsChangeCount; }
    void NoteMonitorsChanged()
    {
        ++m_monitorsChangeCount;
        MonitorsChanged();
    }

    // Focus as the latest focus event reported it (EventPump.cpp keeps it).
    bool IsFocusTracked() const { return m_focusTracked; }
    bool IsFocused() const { return m_focused; }
    void SetTrackedFocus(bool focused)
    {
        m_focusTracked = true;
        m_focused = focused;
    }

protected:
    // Called when the monitors changed, before anyone asks for them again.
    virtual void MonitorsChanged() {}

private:
    WindowBackend& m_backend;
    WindowCover m_cover = WindowCover::Uncovered;
    bool m_destroyed = false;
    unsigned int m_monitorsChangeCount = 0;
    bool m_focusTracked = false;
    bool m_focused = false;
    unsigned int m_samples = 0;
};

// Everything of a window system that is not one window's.
class WindowBackend
{
public:
    virtual ~WindowBackend() = default;

    virtual WindowSystem GetWindowSystem() const = 0;

    // Connects to the window system once per process; false when no display can be opened.
    virtual bool InitializeVideo() = 0;
    // Counted connection for the device runtime: every successful acquire is released once.
    virtual bool AcquireVideo() = 0;
    virtual void ReleaseVideo() = 0;

    // A new hidden window, multisampled as asked where the system can (NativeWindow.h); null on
    // failure.
    virtual HWND CreateWindow(char const* title, NativeWindowStyle style, int left, int top,
                              unsigned int width, unsigned int height, unsigned int samples) = 0;
    // Wraps a window of another program by its native id; null when it cannot be used.
    virtual HWND AttachForeignWindow(unsigned long nativeWindowId) = 0;
    // The window the wallpaper draws into (the desktop, or a window of its own that the desktop
    // shows as its background); null where the system has none.
    virtual HWND AttachDesktopWindow() = 0;
    // Frees the window object (a foreign window itself stays).
    virtual void DestroyWindow(HWND window) = 0;

    // Input devices, counted like AcquireVideo.
    virtual bool OpenInput() = 0;
    virtual void CloseInput() = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual bool IsCursorVisible() const = 0;
    // Pointer movement reported relative, without a pointer or screen edges.
    virtual void SetRelativePointerMode(bool relative) = 0;

    // Takes one waiting event of the system and feeds it to WindowEvents.h; false when none
    // waits. Messages posted with PostMessage come through here too, in order. EventPump.h's
    // PumpOneEvent and WaitForEvent call these on the active back end; one on a connection
    // with a file descriptor dispatches what it has read and polls that descriptor.
    virtual bool PumpOneEvent() = 0;
    // Sleeps until an event waits (true) or the time is up (false), without taking it.
    virtual bool WaitForEvent(std::uint32_t timeoutMilliseconds) = 0;
    // Queues a window message behind the events already waiting; it is delivered with
    // DeliverWindowMessage (WindowEvents.h) by a later PumpOneEvent.
    virtual void PostMessage(HWND window, unsigned int message, unsigned int wParam, long lParam) = 0;

    // A modal information box with one button (it opens its own connection to the system).
    virtual void ShowMessageBox(char const* caption, char const* text) = 0;

    // Displays (outputs) for the device runtime's adapters; the first is the primary one.
    virtual int GetDisplayCount() = 0;
    virtual std::string GetDisplayName(int display) = 0;
    virtual std::vector<DisplayMode> GetDisplayModes(int display) = 0;
    virtual bool GetDesktopDisplayMode(int display, DisplayMode* mode) = 0;
    // Driver and version for the adapter identifier: "x11" and the library's version.
    virtual std::string GetDriverName() = 0;
    virtual std::uint64_t GetDriverVersion() = 0;
};

// The back end of a window system; null when this build has none for it.
WindowBackend* FindWindowBackend(WindowSystem system);
// The back end of the active window system (WindowSystem.h).
WindowBackend& GetWindowBackend();
} // namespace platform
