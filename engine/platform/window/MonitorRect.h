#pragma once

namespace platform
{
// A monitor's part of a window, in the window's drawable pixels (origin top left).
struct MonitorRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};
} // namespace platform
