#include "FrameClock.h"

#include <cstdio>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace bench
{
namespace
{
double ReadClock(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}
} // namespace

double GetWallSeconds()
{
    return ReadClock(CLOCK_MONOTONIC);
}

double GetThreadCpuSeconds()
{
    return ReadClock(CLOCK_THREAD_CPUTIME_ID);
}

std::size_t GetPeakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return std::size_t(usage.ru_maxrss);
}

std::size_t GetResidentKilobytes()
{
    std::FILE* file = std::fopen("/proc/self/statm", "r");
    if (!file)
        return 0;
    unsigned long size = 0;
    unsigned long resident = 0;
    int const read = std::fscanf(file, "%lu %lu", &size, &resident);
    std::fclose(file);
    return read == 2 ? std::size_t(resident) * std::size_t(sysconf(_SC_PAGESIZE)) / 1024 : 0;
}
} // namespace bench
