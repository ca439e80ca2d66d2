#pragma once

#include "platform/window/WindowCover.h"
#include "platform/window/WindowHandle.h"

#include <cstddef>
#include <cstdint>

// What a window system's back end reports, in its own terms translated to plain calls: these
// turn into window messages for the window procedures and into the keyboard and mouse state
// the controls read (EventPump.h). Every back end calls them from its PumpOneEvent.
namespace platform
{
// Held physical keys are tracked per back-end key number below this.
constexpr unsigned int MaxPhysicalKeys = 1024;

struct KeyStroke
{
    unsigned int physicalKey = 0; // the back end's own number of the key; 0 for none
    std::uint8_t keyCode = 0;     // keyboard code (KeyMap.h), 0 for a key without one
    std::uint8_t virtualKey = 0;  // virtual-key code, 0 for a key without one
    bool down = false;
    bool repeat = false;  // an automatic repeat of a held key
    bool altHeld = false; // Alt is down (or this is an Alt key)
};

// A null window means the first window with a procedure (keys and text without a window).
void OnKey(HWND window, KeyStroke const& stroke);
// Typed text in UTF-8; characters that fit the 8-bit character set become WM_CHAR.
void OnText(HWND window, char const* text, std::size_t length);
// Relative pointer movement (y grows downwards).
void OnPointerMotion(int deltaX, int deltaY);
// Where the pointer is, in the window's client area; a null window: over no window of ours.
void OnPointerPosition(HWND window, int x, int y);
// Button 0 left, 1 right, 2 middle, 3 and up the others (below 8).
void OnButton(int index, bool down);
// Wheel notches, positive away from the user.
void OnWheel(int notches);
void OnFocus(HWND window, bool focused);
void OnMinimized(HWND window);
void OnRestored(HWND window);
// The window's client area has a new size (a window of another program resized by its owner).
void OnResized(HWND window, unsigned int width, unsigned int height);
// The window is gone (a window of another program destroyed by its owner).
void OnDestroyed(HWND window);
// The window system shows some of the window again.
void OnShown(HWND window);
// The window system shows nothing of the window now, for the reason `cover` gives.
void OnHidden(HWND window, WindowCover cover);
// The monitors the window covers changed (plugged in, removed, moved).
void OnMonitorsChanged(HWND window);
// The user asked to close the window.
void OnClose(HWND window);
// Termination request (the last window closed, or a signal): every window hears it.
void OnQuit();
// A message posted with PostWindowMessage, now due.
void DeliverWindowMessage(HWND window, unsigned int message, unsigned int wParam, long lParam);
} // namespace platform
