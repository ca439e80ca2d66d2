#pragma once

#include "RunMode.h"

// The pause after each frame that keeps the preview and the wallpaper light on the processor.
class CFramePacing
{
public:
    static constexpr unsigned int PreviewPause = 100;
    static constexpr unsigned int WallpaperStep = 15;
    static constexpr int HighestPriority = 10;

    // Milliseconds: the preview 100, the wallpaper 15 x (10 - priority) with the priority held
    // in 0..10, the screen saver none.
    static unsigned int GetPause(ERunMode runMode, int wallpaperPriority);
};
