#pragma once

// Why the window system shows nothing of a window (Uncovered: some of it shows).
namespace platform
{
enum class WindowCover
{
    Uncovered,
    Hidden,   // unmapped, minimised, destroyed, or the compositor draws none of it
    Obscured, // other windows lie over all of it
    // For the window the wallpaper draws into, what hides the whole desktop:
    Windows,     // full-screen or maximised windows cover every monitor
    IconDesktop, // another program's desktop window (a file manager's icons) covers every monitor
    PowerSaving, // the display is blanked by power saving
    ScreenSaver, // a screen saver runs
};
} // namespace platform
