#include "platform/window/NativeWindow.h"

#include "platform/window/EventPump.h"
#include "platform/window/WindowBackend.h"

namespace platform
{
namespace
{
bool IsOwnWindow(HWND window)
{
    return window != nullptr && !window->IsForeign();
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
    return GetWindowBackend().InitializeVideo();
}

HWND CreateNativeWindow(char const* title, NativeWindowStyle style, int left, int top, unsigned int width,
                        unsigned int height, unsigned int samples)
{
    return GetWindowBackend().CreateWindow(title, style, left, top, width, height, samples);
}

HWND AttachForeignWindow(unsigned long nativeWindowId)
{
    return GetWindowBackend().AttachForeignWindow(nativeWindowId);
}

HWND AttachDesktopWindow()
{
    return GetWindowBackend().AttachDesktopWindow();
}

bool IsForeignWindow(HWND window)
{
    return window != nullptr && window->IsForeign();
}

unsigned long GetNativeWindowId(HWND window)
{
    return window != nullptr ? window->GetNativeId() : 0;
}

void DestroyNativeWindow(HWND window)
{
    if (window != nullptr) {
        ForgetWindowInput(window);
        window->GetBackend().DestroyWindow(window);
    }
}

void GetDrawableSize(HWND window, int* width, int* height)
{
    if (window != nullptr) {
        window->GetDrawableSize(width, height);
    }
}

unsigned int GetWindowSamples(HWND window)
{
    return window != nullptr ? window->GetSamples() : 0;
}

void SetNativeWindowStyle(HWND window, NativeWindowStyle style, int left, int top, unsigned int width,
                          unsigned int height)
{
    if (IsOwnWindow(window)) {
        window->SetStyle(style, left, top, width, height);
    }
}

void SetWindowTopmost(HWND window, bool topmost)
{
    if (IsOwnWindow(window)) {
        window->SetTopmost(topmost);
    }
}

void SetWindowTitle(HWND window, char const* title)
{
    // The back ends name the windows of their own that wrap as foreign ones too (the wallpaper's
    // desktop window), and leave other programs' windows as they are.
    if (window != nullptr) {
        window->SetTitle(title);
    }
}

bool GetWindowClientSize(HWND window, unsigned int* width, unsigned int* height)
{
    if (window == nullptr) {
        return false;
    }
    window->GetClientSize(width, height);
    return true;
}

bool GetWindowRectangle(HWND window, int* left, int* top, int* width, int* height)
{
    if (window == nullptr) {
        return false;
    }
    window->GetRectangle(left, top, width, height);
    return true;
}

void ShowNativeWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        window->Show();
    }
}

void RaiseWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        window->Raise();
    }
}

void LowerBelowDesktops(HWND window)
{
    if (window != nullptr) {
        window->LowerBelowDesktops();
    }
}

void FocusWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        window->Focus();
    }
}

void MinimizeNativeWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        window->Minimize();
    }
}

void RestoreNativeWindow(HWND window)
{
    if (IsOwnWindow(window)) {
        window->Restore();
    }
}

bool IsWindowMinimized(HWND window)
{
    return window != nullptr && window->IsMinimized();
}

bool IsWindowFullScreen(HWND window)
{
    return window != nullptr && window->IsFullScreen();
}

WindowCover GetWindowCover(HWND window)
{
    return window != nullptr ? window->GetCover() : WindowCover::Uncovered;
}

bool IsWindowDestroyed(HWND window)
{
    return window != nullptr && window->IsDestroyed();
}

bool HasKeyboardFocus(HWND window)
{
    if (window == nullptr) {
        return false;
    }
    return window->IsFocusTracked() ? window->IsFocused() : window->HasSystemFocus();
}

void SetKeyboardFocusState(HWND window, bool focused)
{
    if (window != nullptr) {
        window->SetTrackedFocus(focused);
    }
}

HDC GetDeviceContext(HWND window)
{
    return window;
}

bool GetCursorClientPosition(HWND window, int* x, int* y)
{
    return window != nullptr && window->GetCursorPosition(x, y);
}

bool IsPointerOnTopOf(HWND window)
{
    return window != nullptr && window->IsPointerOnTop();
}

bool HasWindowManagerArrivedOver(HWND window)
{
    return window != nullptr && window->HasWindowManagerArrived();
}

void SetCursorClientPosition(HWND window, int x, int y)
{
    if (window != nullptr) {
        window->SetCursorPosition(x, y);
    }
}

int ShowCursor(bool show)
{
    g_cursorCounter += show ? 1 : -1;
    GetWindowBackend().SetCursorVisible(g_cursorCounter >= 0);
    return g_cursorCounter;
}

bool IsCursorShown()
{
    return GetWindowBackend().IsCursorVisible();
}
} // namespace platform
