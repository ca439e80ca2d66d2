#pragma once

// Native handles as the engine passes them around. A window is an object of the window
// system's back end (WindowBackend.h): a top-level or full-screen window, or a wrapper
// around a window of another program.
namespace platform
{
class BackendWindow;
} // namespace platform
using HWND = platform::BackendWindow*;
using HINSTANCE = void*;
