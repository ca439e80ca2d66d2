#include "FramePacing.h"

#include <algorithm>

unsigned int CFramePacing::GetPause(ERunMode runMode, int wallpaperPriority)
{
    switch (runMode) {
    case RUN_PREVIEW:
        return PreviewPause;
    case RUN_WALLPAPER:
        return WallpaperStep *
               static_cast<unsigned int>(HighestPriority - std::clamp(wallpaperPriority, 0, HighestPriority));
    default:
        return 0;
    }
}
