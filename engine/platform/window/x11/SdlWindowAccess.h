#pragma once

#include "platform/window/WindowHandle.h"

struct SDL_Window;

// The SDL window behind a handle of the SDL back end, for code that must talk to SDL itself
// (the back end's own files, and tests that inspect or move the window).
namespace platform
{
// Null for a null handle or one of another back end.
SDL_Window* GetSdlWindow(HWND window);
// Tells the window a frame was shown on it.
void NoteSdlWindowPresented(HWND window);
// The handle wrapping an SDL window; null when none does.
HWND FindSdlWindowHandle(SDL_Window* window);
} // namespace platform
