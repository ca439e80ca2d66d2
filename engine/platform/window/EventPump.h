#pragma once

#include "platform/window/WindowHandle.h"

#include <cstdint>

// The message loop: what the window system's back end reports (WindowEvents.h) becomes window
// messages sent to the procedure registered for the window; keys, buttons and motion also
// feed the input device state that the controls read each frame.
namespace platform
{
using WindowProcedure = long (*)(HWND window, unsigned int message, unsigned int wParam, long lParam);

void SetWindowProcedure(HWND window, WindowProcedure procedure);
void RemoveWindowProcedure(HWND window);

// Default handling: SC_MINIMIZE minimises, SC_RESTORE restores, WM_SETFOCUS restores a
// minimised window and raises it, SC_CLOSE turns into WM_CLOSE; everything else yields 0.
long DefaultWindowProcedure(HWND window, unsigned int message, unsigned int wParam, long lParam);

// Queues a message for the window; delivered by a later PumpOneEvent.
void PostWindowMessage(HWND window, unsigned int message, unsigned int wParam, long lParam);
// Delivers a message at once to the window's procedure (default handling when none).
long SendWindowMessage(HWND window, unsigned int message, unsigned int wParam, long lParam);

// Takes one waiting event of the active back end and handles it; false when none waits.
bool PumpOneEvent();
// Sleeps until an event waits (true) or the time is up (false), without taking the event.
bool WaitForEvent(std::uint32_t timeoutMilliseconds);

// The keyboard and mouse of the window system, counted: each successful open is closed once.
bool OpenInputDevices();
void CloseInputDevices();
// Pointer movement reported relative, without a pointer or screen edges.
void SetRelativePointerMode(bool relative);

// The system keyboard and mouse as the controls read them.
struct MouseState
{
    std::int32_t x = 0;     // relative movement since the last read
    std::int32_t y = 0;     // grows downwards
    std::int32_t wheel = 0; // 120 per notch, positive away from the user
    std::uint8_t buttons[8] = {};
};

// Reads are per frame: a key or button that went down since the previous read is reported
// down once even when it was released again before this read (a quick tap between two slow
// frames); one released and pressed again while held is reported up for one read.

// 256 bytes indexed by keyboard code (KeyMap.h), 0x80 for a key that is down.
bool ReadKeyboardState(std::uint8_t state[256]);
// Buttons down plus the movement gathered since the previous read, which is then cleared.
bool ReadMouseState(MouseState* state);
// The pointer in client coordinates of the window, as the latest motion or button event
// over it placed it; false when the latest such event was over another window, or none came.
bool GetPointerPosition(HWND window, int* x, int* y);
// Records where the pointer was moved to (its own motion event may come later).
void SetPointerPosition(HWND window, int x, int y);
// Forgets held keys, buttons, gathered movement and the pointer position.
void ResetInputState();
// Forgets the pointer position when it is over this window (which is going away).
void ForgetWindowInput(HWND window);

// Virtual-key query: bit 15 while the key is down, bit 0 when it went down since the last query.
short GetAsyncKeyState(int virtualKey);
} // namespace platform
