#pragma once

#include "RunMode.h"
#include "platform/window/OutputSelection.h"
#include "platform/window/WindowSystem.h"

#include <string>
#include <vector>

// The screen-saver command line: "/p 1234", "/s", "/w", "/c", "/r" or nothing.
struct SCommandLine
{
    ERunMode runMode = RUN_SETTINGS;
    unsigned long parentWindow = 0; // native window id; 0 when none
    bool desktopParent = false;     // the desktop's root window is the parent
};

// Only the first two characters choose the mode; the window number is read from the
// fourth character on. Anything without a leading slash, or an unknown switch letter,
// runs the settings launcher.
SCommandLine ParseCommandLine(char const* text);

// Everything the program's arguments ask for: the screen-saver switches, the conventions
// of X11 screen-saver hosts (-root, -window-id N, XSCREENSAVER_WINDOW), the window system
// (--x11, --wayland) and development options.
struct SLaunchOptions
{
    SCommandLine command;
    bool help = false;
    bool version = false;
    bool windowed = false;    // screen saver in a window of its own instead of full screen
    bool hostWindow = false;  // command.parentWindow is a host's window (screen saver inside it)
    double demoSeconds = 0.0; // > 0: run this long, report frames per second, end
    std::string screenshotDirectory;
    std::string recordDirectory; // --record-dir DIR: the whole run recorded as a movie there
    std::string display;         // -display NAME: the X display to use
    platform::WindowSystemRequest windowSystem = platform::WindowSystemRequest::Automatic; // --x11, --wayland
    std::vector<std::string> outputs; // --output NAME: the Wayland outputs to cover (all when empty)
    platform::DesktopLayer layer = platform::DesktopLayer::Background; // --layer background|bottom
    unsigned long delayMicroseconds = 0;                               // -delay N: pause after each frame
    std::vector<std::string> configOverrides; // "name value" lines applied for this run only
    std::string error;                        // not empty: the arguments could not be understood
};

// `xscreensaverWindow` is the value of XSCREENSAVER_WINDOW (null when unset).
SLaunchOptions ParseLaunchOptions(std::vector<std::string> const& arguments, char const* xscreensaverWindow);

// The --help text.
char const* GetUsageText();
