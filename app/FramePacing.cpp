#include "FramePacing.h"

#include "platform/os/Clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace
{
double ReadSeconds()
{
    return double(platform::GetPerformanceCounter()) / double(platform::GetPerformanceFrequency());
}
} // namespace

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

double CFrameRateCap::GetWait(double previousDue, double now, int framesPerSecond)
{
    if (framesPerSecond <= 0)
        return 0.0;
    return std::max(0.0, previousDue + 1.0 / framesPerSecond - now);
}

void CFrameRateCap::Wait(int framesPerSecond)
{
    double const now = ReadSeconds();
    if (framesPerSecond <= 0 || !m_started) {
        m_started = true;
        m_previousDue = now;
        return;
    }
    double const wait = GetWait(m_previousDue, now, framesPerSecond);
    if (wait > 0.0)
        std::this_thread::sleep_for(std::chrono::duration<double>(wait));
    m_previousDue = GetNextDue(m_previousDue, now, framesPerSecond);
}

double CFrameRateCap::GetNextDue(double previousDue, double now, int framesPerSecond)
{
    if (framesPerSecond <= 0)
        return now;
    double const period = 1.0 / framesPerSecond;
    double const due = previousDue + period;
    return now - due < CatchUpPeriods * period ? due : now;
}
