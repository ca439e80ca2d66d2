#pragma once

// Native handles as the engine passes them around. A window is an SDL window
// (top-level, full screen, or wrapping a foreign X11 window).
struct SDL_Window;
using HWND = SDL_Window*;
using HINSTANCE = void*;
