// Start-up of the screen saver: time from the process's launch (and from main) to the
// first frame of the scene with every plug-in loaded and started.
// Usage: bench_startup   (one launch; scripts/bench startup repeats it)
#include "AquariumApp.h"
#include "FrameClock.h"

#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace
{
double GetBootSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// The process's start in seconds since boot (clock-tick resolution); negative if unknown.
double GetLaunchBootSeconds()
{
    std::ifstream file("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::size_t const commandEnd = text.rfind(')');
    if (commandEnd == std::string::npos)
        return -1.0;
    std::istringstream fields(text.substr(commandEnd + 2));
    std::string field;
    // Fields after the command start at the state (3rd); the start time is the 22nd.
    for (int index = 3; index <= 22 && fields >> field; ++index) {
        if (index == 22)
            return std::stod(field) / double(sysconf(_SC_CLK_TCK));
    }
    return -1.0;
}
} // namespace

int main()
{
    double const mainBoot = GetBootSeconds();
    double const mainWall = bench::GetWallSeconds();
    double const launch = GetLaunchBootSeconds();
    CAquariumApp application;
    if (!application.StartUp(RUN_SCREENSAVER, nullptr)) {
        std::fprintf(stderr, "bench_startup: the aquarium did not start\n");
        return 1;
    }
    double const startedUp = bench::GetWallSeconds();
    application.Frame();
    double const firstFrame = bench::GetWallSeconds();
    double const sinceMain = firstFrame - mainWall;
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    // CPU time depends less than wall time on what else the machine runs.
    std::printf("start-up %.1f ms, first scene frame %.1f ms, from main %.1f ms, from launch %.1f ms, "
                "process CPU to the first scene frame %.1f ms\n",
                1000.0 * (startedUp - mainWall), 1000.0 * (firstFrame - startedUp), 1000.0 * sinceMain,
                launch >= 0.0 ? 1000.0 * (mainBoot - launch + sinceMain) : -1.0,
                1000.0 * (double(cpu.tv_sec) + double(cpu.tv_nsec) * 1e-9));
    application.Shutdown();
    return 0;
}
