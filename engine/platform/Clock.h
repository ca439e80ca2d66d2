#pragma once

#include <cstdint>

namespace platform
{
// Milliseconds since an arbitrary start, wrapping at 2^32 like the multimedia timer.
std::uint32_t GetTickMilliseconds();

// High-resolution counter and its ticks per second.
std::int64_t GetPerformanceCounter();
std::int64_t GetPerformanceFrequency();

void SleepMilliseconds(std::uint32_t milliseconds);
} // namespace platform
