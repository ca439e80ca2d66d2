#pragma once

// What the program runs, chosen by its command line.
enum ERunMode : int
{
    RUN_PREVIEW = 0,     // inside the display settings' preview window; picture only
    RUN_SCREENSAVER = 1, // the full aquarium with plug-ins, console and exit rules
    RUN_WALLPAPER = 2,   // the full aquarium on the desktop; never ends by input
    RUN_SETTINGS = 3,    // no engine; starts the Settings program
};
