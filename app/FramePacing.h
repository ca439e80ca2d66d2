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

// Holds the frame rate at a ceiling by sleeping out the rest of each frame period, so no
// frame is drawn that the display has no time to show.
class CFrameRateCap
{
public:
    static constexpr int DefaultFramesPerSecond = 60;
    static constexpr char const* DefaultFramesPerSecondText = "60";

    // Seconds to sleep when the previous frame was due at `previousDue` and it is now `now`
    // (both in seconds); none for a ceiling of 0 or less (no ceiling).
    static double GetWait(double previousDue, double now, int framesPerSecond);

    // A frame late by less than this many periods keeps the schedule, so that the quick frames
    // after a slow one make up for it; later than that, the schedule starts again from now.
    static constexpr double CatchUpPeriods = 4.0;
    // When the frame after one due at `previousDue` is due, once it is `now`.
    static double GetNextDue(double previousDue, double now, int framesPerSecond);

    // Sleeps until the next frame is due; each frame is due one period after the previous one.
    void Wait(int framesPerSecond);

private:
    bool m_started = false;
    double m_previousDue = 0.0;
};
