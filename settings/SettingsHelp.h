#pragma once

#include "SettingsFile.h"

// The dialog's one-line explanations.
namespace settings_help
{
// What each exit mode ends the screen saver on, by mode number.
constexpr char const* ExitModeEffects[SSavedSettings::ExitModesCount] = {
    "Ends as soon as the mouse moves.", "Ends on a click of any mouse button.",
    "Ends only on the Escape key.", "Ends on any key.", "Ends when the mouse moves or on any key."};

constexpr char const* ExitMode = "What ends the screen saver. The windowed aquarium closes with its window.";
constexpr char const* VideoMode = "Screen mode of the screen saver; desktop keeps the current one.";
constexpr char const* Monitors = "With several monitors: one tank across those side by side, or a whole "
                                 "tank on each.";
constexpr char const* Volume = "Loudness of the aquarium's sounds; 0 % is silent.";
constexpr char const* Priority =
    "Live wallpaper's pause after each frame: higher is smoother, lower spares the CPU.";
constexpr char const* Bubbles = "Plays the bubbling of the tank's air stone.";
constexpr char const* WallpaperBubbles =
    "Plays the bubbling on the live wallpaper too (off: a quiet desktop).";
constexpr char const* PowerSaving =
    "Live wallpaper on battery or in power-saver mode: pause it, slow it down, or leave it.";
constexpr char const* CpuBudget =
    "Most of one CPU core the live wallpaper may use; it draws fewer frames to stay within.";
constexpr char const* Cursor = "Shows the mouse pointer over the aquarium.";
constexpr char const* DayMode =
    "The tank's light and the fish's day: the local clock's, or always day or night.";
constexpr char const* Debug = "Fly the camera with keys and mouse; shows frame statistics.";
constexpr char const* Pack = "Random fish may come from this pack.";
constexpr char const* Slot = "The fish in this place: a chosen one, a random one or none.";
constexpr char const* Unique = "Random places never pick a fish that is already in the tank.";
constexpr char const* DesktopLayer =
    "Wayland: Bottom where the desktop's own background hides the live wallpaper (KDE Plasma).";
constexpr char const* Autostart = "Runs the aquarium as your desktop wallpaper after each login.";
constexpr char const* Save = "Saves the settings and closes (Enter).";
constexpr char const* Cancel = "Closes without saving (Escape).";
constexpr char const* Keys = "Tab moves between settings, Space and the arrow keys change them.";
} // namespace settings_help
