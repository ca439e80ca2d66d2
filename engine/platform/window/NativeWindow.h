#pragma once

#include "platform/window/WindowCover.h"
#include "platform/window/WindowHandle.h"

// Windows of the active window system's back end (WindowBackend.h). Every window can be
// drawn on with OpenGL (GLContext.h), including windows wrapped around foreign X11 windows.
namespace platform
{
// Device context of a window; drawing and screen reads go through the window itself.
using HDC = HWND;

enum class NativeWindowStyle
{
    Windowed,   // caption, system menu and minimise box
    FullScreen, // borderless, the display switched to the window's size
};

// The process module handle (never null).
HINSTANCE GetProcessModule();

// Connects to the window system once per process; false when no display can be opened.
bool InitializeVideo();

// A new hidden window whose client area is width x height at (left, top), its drawing surface
// multisampled with `samples` per pixel (0: not at all) where the system offers that, otherwise
// not multisampled.
HWND CreateNativeWindow(char const* title, NativeWindowStyle style, int left, int top, unsigned int width,
                        unsigned int height, unsigned int samples = 0);

// Wraps a window owned by another program (the preview host, the root window, the window a
// screen-saver host passes in) given by its native X11 id; null when it cannot be used.
HWND AttachForeignWindow(unsigned long nativeWindowId);
// The window the wallpaper draws into: where a window manager runs, a desktop window of the
// process's own below all others over every monitor; otherwise the root window. Null without one.
HWND AttachDesktopWindow();
bool IsForeignWindow(HWND window);
unsigned long GetNativeWindowId(HWND window);

// Releases the window; a foreign window itself stays, only the wrapper goes.
void DestroyNativeWindow(HWND window);

// Size of the window's drawing surface in pixels.
void GetDrawableSize(HWND window, int* width, int* height);
// Samples per pixel of the window's drawing surface as made (0: not multisampled).
unsigned int GetWindowSamples(HWND window);

// Restyles and resizes a window this process created.
void SetNativeWindowStyle(HWND window, NativeWindowStyle style, int left, int top, unsigned int width,
                          unsigned int height);
void SetWindowTopmost(HWND window, bool topmost);
void SetWindowTitle(HWND window, char const* title);

// Client area size.
bool GetWindowClientSize(HWND window, unsigned int* width, unsigned int* height);
// Outer window rectangle (client area for foreign windows).
bool GetWindowRectangle(HWND window, int* left, int* top, int* width, int* height);

void ShowNativeWindow(HWND window);
void RaiseWindow(HWND window);
// Puts the wallpaper's own desktop window below another program's desktop window.
void LowerBelowDesktops(HWND window);
void FocusWindow(HWND window);
void MinimizeNativeWindow(HWND window);
void RestoreNativeWindow(HWND window);
bool IsWindowMinimized(HWND window);
bool IsWindowFullScreen(HWND window);
// Why nothing of the window is seen, as the back end last reported it (Uncovered while some of
// it shows, or where the back end cannot tell).
WindowCover GetWindowCover(HWND window);
// True once the window system reported the window gone (another program destroyed it).
bool IsWindowDestroyed(HWND window);

// Keyboard focus as last reported by the event pump (or the window system before any event).
bool HasKeyboardFocus(HWND window);
void SetKeyboardFocusState(HWND window, bool focused);

HDC GetDeviceContext(HWND window);

// Cursor in client coordinates of the window.
bool GetCursorClientPosition(HWND window, int* x, int* y);
void SetCursorClientPosition(HWND window, int x, int y);
// False while another program's window covers the window where the pointer is.
bool IsPointerOnTopOf(HWND window);
// A window manager started after the wallpaper took the bare root window (checked at most
// once a second); the wallpaper then needs a desktop window of its own.
bool HasWindowManagerArrivedOver(HWND window);
// Display counter semantics: show increments, hide decrements, the cursor is visible while
// the counter is >= 0. Returns the new counter.
int ShowCursor(bool show);
// Whether the window system shows the pointer now.
bool IsCursorShown();
} // namespace platform
