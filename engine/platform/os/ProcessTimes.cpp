#include "platform/os/ProcessTimes.h"

#include <ctime>

namespace platform
{
double GetProcessCpuSeconds()
{
    timespec time{};
    if (clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time) != 0)
        return 0.0;
    return double(time.tv_sec) + double(time.tv_nsec) * 1e-9;
}
} // namespace platform
