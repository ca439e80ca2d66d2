// Soak runs of the screen saver for scripts/soak (it needs a display):
//   bench_soak cycles N [frames]  start the aquarium, run `frames` frames (default 20) and stop
//                                 it, N times; resident memory after each cycle
//   bench_soak frames N           one run of N frames; resident memory every N/20 frames
// Memory counts as flat when the second half of the samples grows by less than the
// tolerance (SOAK_TOLERANCE_KIB, default 4096). Exit status 0 when flat, 1 when not.
#include "AquariumApp.h"
#include "FrameClock.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace
{
void RunFrames(CAquariumApp* application, long frames)
{
    for (long frame = 0; frame < frames; ++frame) {
        application->GetEngine()->BeginFrame();
        application->GetPlugins()->RefreshAll();
        application->GetEngine()->FinishFrame();
    }
}

bool IsFlat(std::vector<std::size_t> const& samples)
{
    char const* text = std::getenv("SOAK_TOLERANCE_KIB");
    long const tolerance = text ? std::strtol(text, nullptr, 10) : 4096;
    std::size_t const middle = samples.size() / 2;
    std::size_t lowest = samples[middle];
    std::size_t highest = samples[middle];
    for (std::size_t i = middle; i < samples.size(); ++i) {
        lowest = std::min(lowest, samples[i]);
        highest = std::max(highest, samples[i]);
    }
    std::printf("second half: %zu .. %zu KiB (growth %ld KiB, tolerance %ld KiB)\n", lowest, highest,
                long(samples.back()) - long(samples[middle]), tolerance);
    return long(samples.back()) - long(samples[middle]) < tolerance && long(highest - lowest) < 2 * tolerance;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || (std::strcmp(argv[1], "cycles") != 0 && std::strcmp(argv[1], "frames") != 0)) {
        std::fprintf(stderr, "usage: bench_soak cycles N [frames] | bench_soak frames N\n");
        return 2;
    }
    long const count = std::strtol(argv[2], nullptr, 10);
    if (count < 2) {
        std::fprintf(stderr, "bench_soak: N must be at least 2\n");
        return 2;
    }
    std::vector<std::size_t> samples;
    double const start = bench::GetWallSeconds();
    if (std::strcmp(argv[1], "cycles") == 0) {
        long const frames = argc > 3 ? std::strtol(argv[3], nullptr, 10) : 20;
        for (long cycle = 0; cycle < count; ++cycle) {
            CAquariumApp application;
            if (!application.StartUp(RUN_SCREENSAVER, nullptr)) {
                std::fprintf(stderr, "bench_soak: the aquarium did not start (cycle %ld)\n", cycle + 1);
                return 1;
            }
            RunFrames(&application, frames);
            application.Shutdown();
            samples.push_back(bench::GetResidentKilobytes());
            std::printf("cycle %3ld: %zu KiB resident\n", cycle + 1, samples.back());
            std::fflush(stdout);
        }
    } else {
        CAquariumApp application;
        if (!application.StartUp(RUN_SCREENSAVER, nullptr)) {
            std::fprintf(stderr, "bench_soak: the aquarium did not start\n");
            return 1;
        }
        long const step = count >= 20 ? count / 20 : 1;
        for (long done = 0; done < count; done += step) {
            RunFrames(&application, std::min(step, count - done));
            samples.push_back(bench::GetResidentKilobytes());
            std::printf("frame %6ld: %zu KiB resident\n", std::min(done + step, count), samples.back());
            std::fflush(stdout);
        }
        application.Shutdown();
    }
    std::printf("%.1f s, peak %zu KiB\n", bench::GetWallSeconds() - start, bench::GetPeakResidentKilobytes());
    bool const flat = IsFlat(samples);
    std::printf("memory %s\n", flat ? "flat" : "GROWING");
    return flat ? 0 : 1;
}
