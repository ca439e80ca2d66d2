#pragma once

#include <cstddef>

// Wall and main-thread CPU clocks, and the process's peak resident memory.
namespace bench
{
double GetWallSeconds();
double GetThreadCpuSeconds();
std::size_t GetPeakResidentKilobytes();
std::size_t GetResidentKilobytes();
} // namespace bench
