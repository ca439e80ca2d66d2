#include "platform/window/x11/SdlWindowBackend.h"

#include "platform/os/SessionBus.h"
#include "platform/window/WindowEvents.h"
#include "platform/window/x11/RandRGamma.h"
#include "platform/window/x11/SdlEvents.h"
#include "platform/window/x11/SdlGLContext.h"
#include "platform/window/x11/SdlWindowAccess.h"
#include "platform/window/x11/WindowManagerCheck.h"
#include "platform/window/x11/X11DesktopWindow.h"
#include "platform/window/x11/X11ErrorTrap.h"
#include "platform/window/x11/X11Library.h"
#include "platform/window/x11/X11Monitors.h"
#include "platform/window/x11/X11Watch.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace platform
{
namespace
{
constexpr int VideoStartAttempts = 5;
constexpr Uint32 VideoStartRetryMilliseconds = 200;
// Window data naming the handle that wraps an SDL window.
constexpr char const* HandleDataName = "tidewell.handle";
// The wallpaper window's name until the program names it.
constexpr char const* DesktopWindowTitle = "Tidewell desktop";

// SDL falls back to drivers that show nothing when no display can be opened; those count
// as no display unless asked for by name.
bool IsInvisibleVideoDriver()
{
    char const* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr) {
        return true;
    }
    bool const invisible = std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    char const* requested = std::getenv("SDL_VIDEODRIVER");
    return invisible && (requested == nullptr || std::strstr(requested, driver) == nullptr);
}

// False for an id that names no window, which would otherwise end the process with BadWindow.
bool ForeignWindowExists(unsigned long nativeWindowId)
{
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return false;
    }
    X11Library const& xlib = GetX11Library();
    Status found = 0;
    {
        X11ErrorTrap const trap(display);
        Window root = 0;
        Window parent = 0;
        Window* children = nullptr;
        unsigned int count = 0;
        found = xlib.queryTree(display, nativeWindowId, &root, &parent, &children, &count);
        if (children != nullptr) {
            xlib.free(children);
        }
    }
    xlib.closeDisplay(display);
    return found != 0;
}

DisplayMode ToDisplayMode(SDL_DisplayMode const& mode)
{
    DisplayMode result;
    result.width = static_cast<unsigned int>(mode.w);
    result.height = static_cast<unsigned int>(mode.h);
    result.refreshRate = mode.refresh_rate > 0 ? static_cast<unsigned int>(mode.refresh_rate) : 0;
    result.formatBits = SDL_BITSPERPIXEL(mode.format);
    result.bitsPerPixel = result.formatBits >= 24 ? 32 : result.formatBits >= 15 ? 16 : result.formatBits;
    return result;
}

bool IsX11Driver()
{
    char const* const driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr && std::strcmp(driver, "x11") == 0;
}

// The monitors of the X screen; empty where there is no X display.
std::vector<MonitorRect> ReadScreenMonitors()
{
    std::vector<MonitorRect> monitors;
    if (!IsX11Driver() || !GetX11Library().CanWatch()) {
        return monitors;
    }
    if (Display* display = OpenX11Display()) {
        monitors = ReadX11Monitors(display);
        GetX11Library().closeDisplay(display);
    }
    return monitors;
}

// Asks the window manager to stretch a full-screen window over every monitor: the monitors at
// the top, bottom, left and right edges of their bounding box, by their index.
void RequestFullScreenOnEveryMonitor(unsigned long window, std::vector<MonitorRect> const& monitors)
{
    X11Library const& watch = GetX11Library();
    Display* display = watch.CanKeepDesktopWindows() ? OpenX11Display() : nullptr;
    if (display == nullptr) {
        return;
    }
    auto const index = [&](auto better) {
        long best = 0;
        for (std::size_t i = 1; i < monitors.size(); ++i) {
            if (better(monitors[i], monitors[static_cast<std::size_t>(best)])) {
                best = static_cast<long>(i);
            }
        }
        return best;
    };
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = watch.internAtom(display, "_NET_WM_FULLSCREEN_MONITORS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = index([](MonitorRect const& a, MonitorRect const& b) { return a.y < b.y; });
    event.xclient.data.l[1] =
        index([](MonitorRect const& a, MonitorRect const& b) { return a.y + a.height > b.y + b.height; });
    event.xclient.data.l[2] = index([](MonitorRect const& a, MonitorRect const& b) { return a.x < b.x; });
    event.xclient.data.l[3] =
        index([](MonitorRect const& a, MonitorRect const& b) { return a.x + a.width > b.x + b.width; });
    event.xclient.data.l[4] = 1; // asked by a normal application
    {
        X11ErrorTrap const trap(display);
        watch.sendEvent(display, GetX11Library().defaultRootWindow(display), False,
                        SubstructureRedirectMask | SubstructureNotifyMask, &event);
    }
    GetX11Library().closeDisplay(display);
}

// A full-screen request goes to the window manager, and SDL waits up to 100 ms for it to
// answer; without a manager nobody does. There a borderless window of the desktop's size in
// its corner covers the desktop just the same, at once. So it does over several monitors
// where the manager cannot stretch a full-screen window over them all.
bool CoversDesktopByItself(std::vector<MonitorRect> const& monitors)
{
    return IsX11Driver() &&
           (!IsWindowManagerRunning() ||
            (monitors.size() > 1 && !DoesWindowManagerSupport("_NET_WM_FULLSCREEN_MONITORS")));
}

// An SDL window, own or wrapped around a foreign X11 window.
class SdlWindow : public BackendWindow
{
public:
    SdlWindow(WindowBackend& backend, X11Watch& watch, SDL_Window* window)
        : BackendWindow(backend), m_window(window), m_watch(watch)
    {
        SDL_SetWindowData(m_window, HandleDataName, this);
    }

    // Wraps the wallpaper's own desktop window, which lives as long as this wrapper.
    SdlWindow(WindowBackend& backend, X11Watch& watch, SDL_Window* window,
              std::unique_ptr<X11DesktopWindow> desktop)
        : SdlWindow(backend, watch, window)
    {
        m_desktop = std::move(desktop);
    }

    ~SdlWindow() override
    {
        SDL_DestroyWindow(m_window);
        m_desktop.reset();
    }

    SDL_Window* GetSdlWindow() const { return m_window; }

    void Presented()
    {
        if (m_desktop != nullptr) {
            m_desktop->Presented();
        }
    }

    bool IsForeign() const override { return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FOREIGN) != 0; }

    unsigned long GetNativeId() const override
    {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        if (!SDL_GetWindowWMInfo(m_window, &info) || info.subsystem != SDL_SYSWM_X11) {
            return 0;
        }
        return static_cast<unsigned long>(info.info.x11.window);
    }

    void SetForeignSize(unsigned int width, unsigned int height) override
    {
        if (!IsForeign()) {
            return;
        }
        m_foreignSizeKnown = true;
        m_foreignWidth = static_cast<int>(width);
        m_foreignHeight = static_cast<int>(height);
    }

    void GetDrawableSize(int* width, int* height) const override
    {
        if (m_foreignSizeKnown) {
            *width = m_foreignWidth;
            *height = m_foreignHeight;
            return;
        }
        SDL_GL_GetDrawableSize(m_window, width, height);
    }

    void SetStyle(NativeWindowStyle style, int left, int top, unsigned int width,
                  unsigned int height) override
    {
        if (IsForeign()) {
            return;
        }
        int const w = static_cast<int>(width);
        int const h = static_cast<int>(height);
        if (style == NativeWindowStyle::FullScreen) {
            int const display = std::max(SDL_GetWindowDisplayIndex(m_window), 0);
            SDL_Rect bounds;
            if (SDL_GetDisplayBounds(display, &bounds) != 0) {
                bounds = SDL_Rect{0, 0, w, h};
            }
            SDL_SetWindowBordered(m_window, SDL_FALSE);
            // At the desktop's size the window covers every monitor.
            std::vector<MonitorRect> const monitors =
                w == bounds.w && h == bounds.h ? ReadScreenMonitors() : std::vector<MonitorRect>{};
            if (w == bounds.w && h == bounds.h && CoversDesktopByItself(monitors)) {
                if ((SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN) != 0) {
                    SDL_SetWindowFullscreen(m_window, 0);
                }
                MonitorRect const area =
                    monitors.size() > 1 ? GetBoundingRect(monitors) : MonitorRect{bounds.x, bounds.y, w, h};
                SDL_SetWindowPosition(m_window, area.x, area.y);
                SDL_SetWindowSize(m_window, area.width, area.height);
                m_coversDesktop = true;
                return;
            }
            m_coversDesktop = false;
            if ((SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN) == 0) {
                // Without a window manager nobody else moves the window to the screen's corner.
                SDL_SetWindowPosition(m_window, bounds.x, bounds.y);
                SDL_SetWindowSize(m_window, w, h);
            }
            if (w == bounds.w && h == bounds.h) {
                // The desktop's own size: no display-mode switch.
                SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN_DESKTOP);
                if (monitors.size() > 1) {
                    RequestFullScreenOnEveryMonitor(GetNativeId(), monitors);
                }
            } else {
                SDL_DisplayMode wanted;
                SDL_zero(wanted);
                wanted.w = w;
                wanted.h = h;
                SDL_DisplayMode closest;
                if (SDL_GetClosestDisplayMode(display, &wanted, &closest) != nullptr) {
                    SDL_SetWindowDisplayMode(m_window, &closest);
                }
                SDL_SetWindowFullscreen(m_window, SDL_WINDOW_FULLSCREEN);
            }
        } else {
            m_coversDesktop = false;
            SDL_SetWindowFullscreen(m_window, 0);
            SDL_SetWindowBordered(m_window, SDL_TRUE);
            SDL_SetWindowSize(m_window, w, h);
            SDL_SetWindowPosition(m_window, left, top);
        }
    }

    void SetTopmost(bool topmost) override
    {
        if (!IsForeign()) {
            SDL_SetWindowAlwaysOnTop(m_window, topmost ? SDL_TRUE : SDL_FALSE);
        }
    }

    void SetTitle(char const* title) override
    {
        if (m_desktop != nullptr) {
            m_desktop->SetTitle(title);
        } else if (!IsForeign()) {
            SDL_SetWindowTitle(m_window, title != nullptr ? title : "");
        }
    }

    void GetClientSize(unsigned int* width, unsigned int* height) const override
    {
        int w = 0;
        int h = 0;
        SDL_GetWindowSize(m_window, &w, &h);
        if (m_foreignSizeKnown) {
            w = m_foreignWidth;
            h = m_foreignHeight;
        }
        *width = static_cast<unsigned int>(w < 0 ? 0 : w);
        *height = static_cast<unsigned int>(h < 0 ? 0 : h);
    }

    void GetRectangle(int* left, int* top, int* width, int* height) const override
    {
        int x = 0;
        int y = 0;
        int w = 0;
        int h = 0;
        SDL_GetWindowPosition(m_window, &x, &y);
        SDL_GetWindowSize(m_window, &w, &h);
        if (m_foreignSizeKnown) {
            w = m_foreignWidth;
            h = m_foreignHeight;
        }
        int borderTop = 0;
        int borderLeft = 0;
        int borderBottom = 0;
        int borderRight = 0;
        if (!IsForeign() &&
            SDL_GetWindowBordersSize(m_window, &borderTop, &borderLeft, &borderBottom, &borderRight) != 0) {
            borderTop = borderLeft = borderBottom = borderRight = 0;
        }
        *left = x - borderLeft;
        *top = y - borderTop;
        *width = w + borderLeft + borderRight;
        *height = h + borderTop + borderBottom;
    }

    void Show() override
    {
        if (!IsForeign()) {
            SDL_ShowWindow(m_window);
        }
    }

    void Raise() override
    {
        if (!IsForeign()) {
            SDL_RaiseWindow(m_window);
        }
    }

    void LowerBelowDesktops() override
    {
        if (m_desktop != nullptr) {
            m_desktop->Lower();
        }
    }

    void Focus() override
    {
        if (!IsForeign()) {
            SDL_SetWindowInputFocus(m_window);
        }
    }

    void Minimize() override
    {
        if (!IsForeign() && !IsMinimized()) {
            SDL_MinimizeWindow(m_window);
        }
    }

    void Restore() override
    {
        if (!IsForeign()) {
            SDL_RestoreWindow(m_window);
        }
    }

    bool IsMinimized() const override { return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_MINIMIZED) != 0; }

    bool IsFullScreen() const override
    {
        return m_coversDesktop || (SDL_GetWindowFlags(m_window) & SDL_WINDOW_FULLSCREEN) != 0;
    }

    void SetCoversDesktop(bool covers) { m_coversDesktop = covers; }

    bool HasSystemFocus() const override
    {
        return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    }

    bool GetCursorPosition(int* x, int* y) const override
    {
        if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
            return false;
        }
        int globalX = 0;
        int globalY = 0;
        SDL_GetGlobalMouseState(&globalX, &globalY);
        int windowX = 0;
        int windowY = 0;
        SDL_GetWindowPosition(m_window, &windowX, &windowY);
        *x = globalX - windowX;
        *y = globalY - windowY;
        return true;
    }

    void SetCursorPosition(int x, int y) override
    {
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            SDL_WarpMouseInWindow(m_window, x, y);
        }
    }

    bool HasWindowManagerArrived() const override
    {
        if (!m_watchesForManager || m_managerArrived) {
            return m_managerArrived;
        }
        Uint64 const now = SDL_GetTicks64();
        if (now - m_managerCheckedAt >= ManagerCheckMilliseconds) {
            m_managerCheckedAt = now;
            // Asked over the watch's connection while it is open, not a new one each time.
            Display* watching = m_watch.GetDisplay();
            m_managerArrived =
                watching != nullptr ? IsWindowManagerRunningOn(watching) : IsWindowManagerRunning();
        }
        return m_managerArrived;
    }

    // The wallpaper drawing into the bare root window looks out for a window manager.
    void WatchForWindowManager() { m_watchesForManager = true; }

    bool IsPointerOnTop() const override
    {
        if (!IsX11Driver()) {
            return true;
        }
        return m_watch.IsPointerOnTop(GetNativeId());
    }

    bool GetGammaRamp(GammaRamp* ramp) override
    {
        if (IsRandRGammaUsable()) {
            return ReadRandRGamma(m_window, ramp);
        }
        return SDL_GetWindowGammaRamp(m_window, ramp->red, ramp->green, ramp->blue) == 0;
    }

    bool SetGammaRamp(GammaRamp const& ramp) override
    {
        // SDL's own ramp on X11 needs a DirectColor visual and the input focus, and reports
        // success without either; the CRTC's ramp is what the display shows.
        if (IsRandRGammaUsable()) {
            return WriteRandRGamma(m_window, ramp);
        }
        if (IsX11Driver()) {
            return false;
        }
        return SDL_SetWindowGammaRamp(m_window, ramp.red, ramp.green, ramp.blue) == 0;
    }

    std::vector<MonitorRect> GetMonitorRects() const override
    {
        int width = 0;
        int height = 0;
        GetDrawableSize(&width, &height);
        // Read again only when the window's size changed (monitors come and go with it).
        if (width != m_monitorsWidth || height != m_monitorsHeight) {
            m_monitorsWidth = width;
            m_monitorsHeight = height;
            m_monitors = m_watch.ReadWindowMonitors(GetNativeId());
        }
        if (m_monitors.empty()) {
            return BackendWindow::GetMonitorRects();
        }
        return m_monitors;
    }

    bool CanDrawWithGL() const override { return (SDL_GetWindowFlags(m_window) & SDL_WINDOW_OPENGL) != 0; }

    std::shared_ptr<GLContext> CreateGLContext(GLContextAttributes const& attributes) override
    {
        if (!CanDrawWithGL()) {
            return nullptr;
        }
        return CreateSdlGLContext(this, m_window, attributes);
    }

protected:
    void MonitorsChanged() override
    {
        m_monitorsWidth = -1;
        if (m_desktop != nullptr) {
            m_desktop->Cover(GetBoundingRect(m_watch.GetMonitors()));
        }
    }

private:
    SDL_Window* m_window;
    // The back end's watch, which follows this window too.
    X11Watch& m_watch;
    // Size of a foreign window as its watcher last saw it (SDL hears nothing of those windows).
    bool m_foreignSizeKnown = false;
    int m_foreignWidth = 0;
    int m_foreignHeight = 0;
    // Full screen by its own size and place rather than by SDL's full-screen state.
    bool m_coversDesktop = false;
    // The root-drawn wallpaper's look-out for a window manager started after it.
    static constexpr Uint64 ManagerCheckMilliseconds = 1000;
    bool m_watchesForManager = false;
    mutable bool m_managerArrived = false;
    mutable Uint64 m_managerCheckedAt = 0;
    // The wallpaper's desktop window this wraps; null for every other window.
    std::unique_ptr<X11DesktopWindow> m_desktop;
    // The monitors as last read, and the drawable size they were read at.
    mutable std::vector<MonitorRect> m_monitors;
    mutable int m_monitorsWidth = -1;
    mutable int m_monitorsHeight = -1;
};

// What the watch sees, passed on as the window system's reports.
class WatchReports : public X11WatchReports
{
public:
    void Resized(HWND window, unsigned int width, unsigned int height) override
    {
        OnResized(window, width, height);
    }
    void Destroyed(HWND window) override { OnDestroyed(window); }
    void Covered(HWND window, WindowCover cover) override
    {
        if (cover == WindowCover::Uncovered) {
            OnShown(window);
        } else {
            OnHidden(window, cover);
        }
    }
    void MonitorsChanged(HWND window) override { OnMonitorsChanged(window); }
};

class SdlWindowBackend : public WindowBackend
{
public:
    WindowSystem GetWindowSystem() const override { return WindowSystem::X11; }

    bool InitializeVideo() override
    {
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            return true;
        }
        // Windows of other programs are drawn into with OpenGL as well.
        SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
        // The engine decides itself when a window minimises.
        SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
        SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
        // Termination signals are the program's to handle.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        // This back end draws through X11 alone: without an X display SDL need not try its other
        // drivers (whose libraries complain on standard error). SDL_VIDEODRIVER still wins.
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
        // A busy X server may refuse a connection for a moment: try again before giving up.
        bool const displayNamed = std::getenv("DISPLAY") != nullptr;
        // SDL's video start opens the session bus (screen-saver inhibition, input methods).
        SessionBusAutolaunchGuard const noLaunchedBus;
        for (int attempt = 1;; ++attempt) {
            if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {
                if (!IsInvisibleVideoDriver()) {
                    break;
                }
                SDL_QuitSubSystem(SDL_INIT_VIDEO);
            }
            if (!displayNamed || attempt == VideoStartAttempts) {
                return false;
            }
            SDL_Delay(VideoStartRetryMilliseconds);
        }
        InstallX11ErrorHandler();
        // Typed characters arrive as text events.
        SDL_StartTextInput();
        return true;
    }

    bool AcquireVideo() override
    {
        SessionBusAutolaunchGuard const noLaunchedBus;
        return SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }

    void ReleaseVideo() override { SDL_QuitSubSystem(SDL_INIT_VIDEO); }

    HWND CreateWindow(char const* title, NativeWindowStyle style, int left, int top, unsigned int width,
                      unsigned int height, unsigned int samples) override
    {
        if (!InitializeVideo()) {
            return nullptr;
        }
        Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
        bool coversDesktop = false;
        if (style == NativeWindowStyle::FullScreen) {
            SDL_DisplayMode desktop;
            bool const desktopSize = SDL_GetDesktopDisplayMode(0, &desktop) == 0 &&
                                     desktop.w == static_cast<int>(width) &&
                                     desktop.h == static_cast<int>(height);
            coversDesktop = desktopSize && CoversDesktopByItself(ReadScreenMonitors());
            flags |= SDL_WINDOW_BORDERLESS;
            if (!coversDesktop) {
                flags |= desktopSize ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN;
            }
            left = 0;
            top = 0;
        }
        // The window's visual fixes its multisampling; where none has the samples asked for, the
        // window is made without.
        SetSdlMultisampling(samples);
        SDL_Window* window = SDL_CreateWindow(title != nullptr ? title : "", left, top,
                                              static_cast<int>(width), static_cast<int>(height), flags);
        if (window == nullptr && samples > 0) {
            samples = 0;
            SetSdlMultisampling(samples);
            window = SDL_CreateWindow(title != nullptr ? title : "", left, top, static_cast<int>(width),
                                      static_cast<int>(height), flags);
        }
        SetSdlMultisampling(0);
        if (window != nullptr) {
            auto* const wrapped = new SdlWindow(*this, m_watch, window);
            wrapped->SetCoversDesktop(coversDesktop);
            wrapped->SetSamples(samples);
            return Watch(wrapped, false);
        }
        return nullptr;
    }

    HWND AttachForeignWindow(unsigned long nativeWindowId) override
    {
        return AttachForeign(nativeWindowId, false);
    }

    HWND AttachDesktopWindow() override
    {
        // A window manager stacks windows and compositors paint only windows: the wallpaper
        // then needs a desktop window of its own. Without one the root window itself shows.
        if (InitializeVideo() && IsWindowManagerRunning()) {
            if (std::unique_ptr<X11DesktopWindow> desktop = X11DesktopWindow::Create(DesktopWindowTitle)) {
                unsigned long const id = desktop->GetNativeId();
                SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
                SDL_Window* window =
                    SDL_CreateWindowFrom(reinterpret_cast<void const*>(static_cast<std::uintptr_t>(id)));
                if (window != nullptr) {
                    return Watch(new SdlWindow(*this, m_watch, window, std::move(desktop)), true);
                }
            }
        }
        Display* display = OpenX11Display();
        if (display == nullptr) {
            return nullptr;
        }
        X11Library const& xlib = GetX11Library();
        unsigned long const root = xlib.defaultRootWindow(display);
        xlib.closeDisplay(display);
        HWND const window = AttachForeign(root, true);
        if (window != nullptr) {
            static_cast<SdlWindow*>(window)->WatchForWindowManager();
        }
        return window;
    }

    void DestroyWindow(HWND window) override
    {
        m_watch.Forget(window);
        delete window;
    }

    bool OpenInput() override { return SDL_InitSubSystem(SDL_INIT_EVENTS) == 0; }

    void CloseInput() override { SDL_QuitSubSystem(SDL_INIT_EVENTS); }

    void SetCursorVisible(bool visible) override
    {
        if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
            SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
        }
    }

    bool IsCursorVisible() const override { return SDL_ShowCursor(SDL_QUERY) != SDL_DISABLE; }

    void SetRelativePointerMode(bool relative) override
    {
        SDL_SetRelativeMouseMode(relative ? SDL_TRUE : SDL_FALSE);
    }

    // Once no SDL event waits, what the watch saw is taken in passing: window state, which wakes
    // no loop that waits for input.
    bool PumpOneEvent() override
    {
        if (PumpOneSdlEvent()) {
            return true;
        }
        m_watch.Poll();
        return false;
    }

    bool WaitForEvent(std::uint32_t timeoutMilliseconds) override
    {
        return WaitForSdlEvent(timeoutMilliseconds);
    }

    void PostMessage(HWND window, unsigned int message, unsigned int wParam, long lParam) override
    {
        PostSdlWindowMessage(GetSdlWindow(window), message, wParam, lParam);
    }

    void ShowMessageBox(char const* caption, char const* text) override
    {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr);
    }

    int GetDisplayCount() override
    {
        int const count = SDL_GetNumVideoDisplays();
        return count > 0 ? count : 0;
    }

    std::string GetDisplayName(int display) override
    {
        char const* name = SDL_GetDisplayName(display);
        return name != nullptr ? name : "";
    }

    std::vector<DisplayMode> GetDisplayModes(int display) override
    {
        std::vector<DisplayMode> modes;
        int const count = SDL_GetNumDisplayModes(display);
        for (int i = 0; i < count; ++i) {
            SDL_DisplayMode mode;
            if (SDL_GetDisplayMode(display, i, &mode) == 0) {
                modes.push_back(ToDisplayMode(mode));
            }
        }
        return modes;
    }

    bool GetDesktopDisplayMode(int display, DisplayMode* mode) override
    {
        SDL_DisplayMode desktop;
        if (SDL_GetDesktopDisplayMode(display, &desktop) != 0) {
            return false;
        }
        *mode = ToDisplayMode(desktop);
        return true;
    }

    std::string GetDriverName() override
    {
        char const* driver = SDL_GetCurrentVideoDriver();
        return driver != nullptr ? driver : "(null)";
    }

    std::uint64_t GetDriverVersion() override
    {
        SDL_version version;
        SDL_GetVersion(&version);
        return (std::uint64_t(version.major) << 48) | (std::uint64_t(version.minor) << 32) |
               (std::uint64_t(version.patch) << 16);
    }

private:
    HWND AttachForeign(unsigned long nativeWindowId, bool desktop)
    {
        if (nativeWindowId == 0 || !InitializeVideo() || !ForeignWindowExists(nativeWindowId)) {
            return nullptr;
        }
        SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
        SDL_Window* window =
            SDL_CreateWindowFrom(reinterpret_cast<void const*>(static_cast<std::uintptr_t>(nativeWindowId)));
        return window != nullptr ? Watch(new SdlWindow(*this, m_watch, window), desktop) : nullptr;
    }

    // Windows on an X display are followed from now on: size, destruction, visibility.
    SdlWindow* Watch(SdlWindow* window, bool desktop)
    {
        if (IsX11Driver()) {
            m_watch.Watch(window, window->GetNativeId(), desktop);
        }
        return window;
    }

    WatchReports m_reports;
    X11Watch m_watch{m_reports};
};
} // namespace

WindowBackend& GetSdlWindowBackend()
{
    static SdlWindowBackend backend;
    return backend;
}

SDL_Window* GetSdlWindow(HWND window)
{
    if (window == nullptr || &window->GetBackend() != &GetSdlWindowBackend()) {
        return nullptr;
    }
    return static_cast<SdlWindow*>(window)->GetSdlWindow();
}

void NoteSdlWindowPresented(HWND window)
{
    if (window != nullptr && &window->GetBackend() == &GetSdlWindowBackend()) {
        static_cast<SdlWindow*>(window)->Presented();
    }
}

HWND FindSdlWindowHandle(SDL_Window* window)
{
    return window != nullptr ? static_cast<SdlWindow*>(SDL_GetWindowData(window, HandleDataName)) : nullptr;
}
} // namespace platform
