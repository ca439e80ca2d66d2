#include "platform/NativeWindow.h"

#include "platform/HostWindowWatch.h"
#include "platform/X11Library.h"

#include <SDL.h>
#include <SDL_syswm.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace platform
{
namespace
{
constexpr char const* FocusDataName = "tidewell.focus";
constexpr int VideoStartAttempts = 5;
constexpr Uint32 VideoStartRetryMilliseconds = 200;
// Size of a foreign window as its watcher last saw it (SDL hears nothing of those windows).
constexpr char const* ForeignSizeDataName = "tidewell.size";

struct ForeignWindowSize
{
    int width = 0;
    int height = 0;
};

ForeignWindowSize* FindForeignSize(HWND window)
{
    return static_cast<ForeignWindowSize*>(SDL_GetWindowData(window, ForeignSizeDataName));
}

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
// Window data values for the tracked focus state (no data: not tracked yet).
char FocusedMark = 1;
char UnfocusedMark = 0;

bool IsOwnWindow(HWND window)
{
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_FOREIGN) == 0;
}

int g_cursorCounter = 0;
} // namespace

HINSTANCE GetProcessModule()
{
    static char module;
    return &module;
}

bool InitializeVideo()
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
    // A busy X server may refuse a connection for a moment: try again before giving up.
    bool const displayNamed = std::getenv("DISPLAY") != nullptr;
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

HWND CreateNativeWindow(char const* title, NativeWindowStyle style, int left, int top, unsigned int width,
                        unsigned int height)
{
    if (!InitializeVideo()) {
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (style == NativeWindowStyle::FullScreen) {
        SDL_DisplayMode desktop;
        bool const desktopSize = SDL_GetDesktopDisplayMode(0, &desktop) == 0 &&
                                 desktop.w == static_cast<int>(width) &&
                                 desktop.h == static_cast<int>(height);
        flags |=
            (desktopSize ? SDL_WINDOW_FULLSCREEN_DESKTOP : SDL_WINDOW_FULLSCREEN) | SDL_WINDOW_BORDERLESS;
        left = 0;
        top = 0;
    }
    return SDL_CreateWindow(title != nullptr ? title : "", left, top, static_cast<int>(width),
                            static_cast<int>(height), flags);
}

namespace
{
int IgnoreXError(Display*, XErrorEvent*)
{
    return 0;
}

// False for an id that names no window, which would otherwise end the process with BadWindow.
bool ForeignWindowExists(unsigned long nativeWindowId)
{
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return false;
    }
    X11Library const& xlib = GetX11Library();
    XErrorHandler const previous = xlib.setErrorHandler(IgnoreXError);
    Window root = 0;
    Window parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    Status const found = xlib.queryTree(display, nativeWindowId, &root, &parent, &children, &count);
    if (children != nullptr) {
        xlib.free(children);
    }
    xlib.closeDisplay(display);
    xlib.setErrorHandler(previous);
    return found != 0;
}
} // namespace

HWND AttachForeignWindow(unsigned long nativeWindowId)
{
    if (nativeWindowId == 0 || !InitializeVideo() || !ForeignWindowExists(nativeWindowId)) {
        return nullptr;
    }
    SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
    return SDL_CreateWindowFrom(reinterpret_cast<void const*>(static_cast<std::uintptr_t>(nativeWindowId)));
}

HWND AttachDesktopWindow()
{
    Display* display = OpenX11Display();
    if (display == nullptr) {
        return nullptr;
    }
    X11Library const& xlib = GetX11Library();
    unsigned long const root = xlib.defaultRootWindow(display);
    xlib.closeDisplay(display);
    return AttachForeignWindow(root);
}

bool IsForeignWindow(HWND window)
{
    return window != nullptr && !IsOwnWindow(window);
}

unsigned long GetNativeWindowId(HWND window)
{
    if (window == nullptr) {
        return 0;
    }
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return static_cast<unsigned long>(info.info.x11.window);
}

void DestroyNativeWindow(HWND window)
{
    if (window != nullptr) {
        delete FindForeignSize(window);
        SDL_DestroyWindow(window);
    }
}

void SetForeignWindowSize(HWND window, unsigned int width, unsigned int height)
{
    if (!IsForeignWindow(window)) {
        return;
    }
    ForeignWindowSize* size = FindForeignSize(window);
    if (size == nullptr) {
        size = new ForeignWindowSize;
        SDL_SetWindowData(window, ForeignSizeDataName, size);
    }
    size->width = static_cast<int>(width);
    size->height = static_cast<int>(height);
}

void GetDrawableSize(HWND window, int* width, int* height)
{
    if (ForeignWindowSize const* size = window != nullptr ? FindForeignSize(window) : nullptr) {
        *width = size->width;
        *height = size->height;
        return;
    }
    SDL_GL_GetDrawableSize(window, width, height);
}

void SetNativeWindowStyle(HWND window, NativeWindowStyle style, int left, int top, unsigned int width,
                          unsigned int height)
{
    if (!IsOwnWindow(window)) {
        return;
    }
    int const w = static_cast<int>(width);
    int const h = static_cast<int>(height);
    if (style == NativeWindowStyle::FullScreen) {
        int const display = std::max(SDL_GetWindowDisplayIndex(window), 0);
        SDL_Rect bounds;
        if (SDL_GetDisplayBounds(display, &bounds) != 0) {
            bounds = SDL_Rect{0, 0, w, h};
        }
        SDL_SetWindowBordered(window, SDL_FALSE);
        if ((SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) == 0) {
            // Without a window manager nobody else moves the window to the screen's corner.
            SDL_SetWindowPosition(window, bounds.x, bounds.y);
            SDL_SetWindowSize(window, w, h);
        }
        if (w == bounds.w && h == bounds.h) {
            // The desktop's own size: no display-mode switch.
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else {
            SDL_DisplayMode wanted;
            SDL_zero(wanted);
            wanted.w = w;
            wanted.h = h;
            SDL_DisplayMode closest;
            if (SDL_GetClosestDisplayMode(display, &wanted, &closest) != nullptr) {
                SDL_SetWindowDisplayMode(window, &closest);
            }
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
        }
    } else {
        SDL_SetWindowFullscreen(window, 0);
        SDL_SetWindowBordered(window, SDL_TRUE);
        SDL_SetWindowSize(window, w, h);
        SDL_SetWindowPosition(window, left, top);
    }
}

void SetWindowTopmost(HWND window, bool topmost)
{
    if (IsOwnWindow(window)) {
        SDL_SetWindowAlwaysOnTop(window, topmost ? SDL_TRUE : SDL_FALSE);
    }
}

void SetWindowTitle(HWND window, char const* title)
{
    if (IsOwnWindow(window)) {
        SDL_SetWindowTitle(window, title != nullptr ? title : "");
    }
}

bool GetWindowClientSize(HWND window, unsigned int* width, unsigned int* height)
{
    if (window == nullptr) {
        return false;
    }
    int w = 0;
    int h = 0;
    SDL_GetWindowSize(window, &w, &h);
    if (ForeignWindowSize const* size = FindForeignSize(window)) {
        w = size->width;
        h = size->height;
    }
    *width = static_cast<unsigned int>(w < 0 ? 0 : w);
    *height = static_cast<unsigned int>(h < 0 ? 0 : h);
    return true;
}

bool GetWindowRectangle(HWND window, int* left, int* top, int* width, int* height)
{
    if (window == nullptr) {
        return false;
    }
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    if (ForeignWindowSize const* size = FindForeignSize(window)) {
        w = size->width;
        h = size->height;
    }
    int borderTop = 0;
    int borderLeft = 0;
    int borderBottom = 0;
    int borderRight = 0;
    if (IsOwnWindow(window) &&
        SDL_GetWindowBordersSize(window, &borderTop, &borderLeft, &borderBottom, &borderRight) != 0) {
        borderTop = borderLeft = borderBottom = borderRight = 0;
    }
    *left = x - borderLeft;
    *top = y - borderTop;
    *width = w + borderLeft + borderRight;
    *height = h + borderTop + borderBottom;
    return true;
}

void ShowNativeWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        SDL_ShowWindow(window);
    }
}

void RaiseWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        SDL_RaiseWindow(window);
    }
}

void FocusWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        SDL_SetWindowInputFocus(window);
    }
}

void MinimizeNativeWindow(HWND window)
{
    if (IsOwnWindow(window) && !IsWindowMinimized(window)) {
        SDL_MinimizeWindow(window);
    }
}

void RestoreNativeWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        SDL_RestoreWindow(window);
    }
}

bool IsWindowMinimized(HWND window)
{
    return window != nullptr && (SDL_GetWindowFlags(window) & SDL_WINDOW_MINIMIZED) != 0;
}

bool HasKeyboardFocus(HWND window)
{
    if (window == nullptr) {
        return false;
    }
    if (void* mark = SDL_GetWindowData(window, FocusDataName)) {
        return mark == &FocusedMark;
    }
    return (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SetKeyboardFocusState(HWND window, bool focused)
{
    if (window != nullptr) {
        SDL_SetWindowData(window, FocusDataName, focused ? &FocusedMark : &UnfocusedMark);
    }
}

HDC GetDeviceContext(HWND window)
{
    return window;
}

bool GetCursorClientPosition(HWND window, int* x, int* y)
{
    if (window == nullptr || SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        return false;
    }
    int globalX = 0;
    int globalY = 0;
    SDL_GetGlobalMouseState(&globalX, &globalY);
    int windowX = 0;
    int windowY = 0;
    SDL_GetWindowPosition(window, &windowX, &windowY);
    *x = globalX - windowX;
    *y = globalY - windowY;
    return true;
}

void SetCursorClientPosition(HWND window, int x, int y)
{
    if (window != nullptr && SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_WarpMouseInWindow(window, x, y);
    }
}

int ShowCursor(bool show)
{
    g_cursorCounter += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) {
        SDL_ShowCursor(g_cursorCounter >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return g_cursorCounter;
}
} // namespace platform
