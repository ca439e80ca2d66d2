#include "platform/Clock.h"

#include <chrono>
#include <thread>

namespace platform
{
std::uint32_t GetTickMilliseconds()
{
    auto const now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

std::int64_t GetPerformanceCounter()
{
    auto const now = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(now).count();
}

std::int64_t GetPerformanceFrequency()
{
    return 1000000000;
}

void SleepMilliseconds(std::uint32_t milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
} // namespace platform
