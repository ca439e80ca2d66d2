#pragma once

// Window messages and system commands exchanged between the event pump and window
// procedures, with the values the engine's window procedure expects.
namespace platform
{
constexpr unsigned int WM_SETFOCUS = 0x0007;
constexpr unsigned int WM_KILLFOCUS = 0x0008;
constexpr unsigned int WM_CLOSE = 0x0010;
constexpr unsigned int WM_QUIT = 0x0012;
constexpr unsigned int WM_KEYDOWN = 0x0100;
constexpr unsigned int WM_KEYUP = 0x0101;
constexpr unsigned int WM_CHAR = 0x0102;
constexpr unsigned int WM_SYSKEYDOWN = 0x0104;
constexpr unsigned int WM_SYSKEYUP = 0x0105;
constexpr unsigned int WM_SYSCOMMAND = 0x0112;

constexpr unsigned int SC_MINIMIZE = 0xF020;
constexpr unsigned int SC_MAXIMIZE = 0xF030;
constexpr unsigned int SC_CLOSE = 0xF060;
constexpr unsigned int SC_RESTORE = 0xF120;
constexpr unsigned int SC_TASKLIST = 0xF130;
constexpr unsigned int SC_SCREENSAVE = 0xF140;
constexpr unsigned int SC_HOTKEY = 0xF150;
constexpr unsigned int SC_MONITORPOWER = 0xF170;
} // namespace platform
