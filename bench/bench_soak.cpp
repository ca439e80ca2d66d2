// Soak runs of the screen saver for scripts/soak (it needs a display):
//   bench_soak cycles N [frames]  start the aquarium, run `frames` frames (default 20) and stop
//                                 it, N times; resident memory after each cycle
//   bench_soak frames N           one run of N frames; resident memory every N/20 frames
//   bench_soak wallpaper S [step] the live wallpaper on the desktop (the root window) for S
//                                 seconds of real frames; every `step` seconds (default 60)
//                                 resident memory, open files, GL textures and buffers,
//                                 sound sources and buffers, and the frame rate
// Memory counts as flat when the second half of the samples grows by less than the
// tolerance (SOAK_TOLERANCE_KIB, default 4096); the wallpaper's object counts must also end
// where the first sample left them. Exit status 0 when flat, 1 when not.
#include "AquariumApp.h"
#include "FrameClock.h"
#include "ScreenOverlay.h"
#include "platform/window/EventPump.h"
#include "platform/window/NativeWindow.h"

#define GL_GLEXT_PROTOTYPES 1
#include <AL/al.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace
{
void RunFrames(CAquariumApp* application, long frames)
{
    for (long frame = 0; frame < frames; ++frame) {
        application->GetEngine()->BeginFrame();
        application->GetScreenOverlay()->Refresh();
        application->GetPlugins()->RefreshAll();
        application->GetEngine()->FinishFrame();
    }
}

// Object names in use, found by asking about every name up to a bound far above what the
// aquarium makes: GL names of the current context and OpenAL names of the current context.
constexpr unsigned int ProbedNames = 1u << 16;

template <typename Probe> unsigned int CountNames(Probe isName)
{
    unsigned int count = 0;
    for (unsigned int name = 1; name < ProbedNames; ++name)
        count += isName(name) ? 1u : 0u;
    return count;
}

struct SWallpaperSample
{
    double seconds = 0.0;
    std::size_t residentKib = 0;
    unsigned int openFiles = 0;
    unsigned int glTextures = 0;
    unsigned int glBuffers = 0;
    unsigned int alSources = 0;
    unsigned int alBuffers = 0;
    double framesPerSecond = 0.0;

    bool SameObjects(SWallpaperSample const& other) const
    {
        return openFiles == other.openFiles && glTextures == other.glTextures &&
               glBuffers == other.glBuffers && alSources == other.alSources && alBuffers == other.alBuffers;
    }
};

unsigned int CountOpenFiles()
{
    std::error_code ignored;
    unsigned int count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ignored);
         it != std::filesystem::directory_iterator(); it.increment(ignored))
        ++count;
    return count;
}

SWallpaperSample TakeWallpaperSample(double seconds, double framesPerSecond)
{
    SWallpaperSample sample;
    sample.seconds = seconds;
    sample.residentKib = bench::GetResidentKilobytes();
    sample.openFiles = CountOpenFiles();
    sample.glTextures = CountNames([](unsigned int name) { return glIsTexture(name) == GL_TRUE; });
    sample.glBuffers = CountNames([](unsigned int name) { return glIsBuffer(name) == GL_TRUE; });
    sample.alSources = CountNames([](unsigned int name) { return alIsSource(name) == AL_TRUE; });
    sample.alBuffers = CountNames([](unsigned int name) { return alIsBuffer(name) == AL_TRUE; });
    sample.framesPerSecond = framesPerSecond;
    return sample;
}

// The wallpaper as the program runs it with /w: the root window as parent, the program's
// own frames (pacing pauses included), events pumped between them.
int SoakWallpaper(double seconds, double step, std::vector<std::size_t>* resident)
{
    if (!platform::InitializeVideo()) {
        std::fprintf(stderr, "bench_soak: no display\n");
        return 1;
    }
    HWND const desktop = platform::AttachDesktopWindow();
    if (!desktop) {
        std::fprintf(stderr, "bench_soak: the desktop window cannot be used\n");
        return 1;
    }
    int status = 0;
    {
        CAquariumApp application;
        if (!application.StartUp(RUN_WALLPAPER, desktop)) {
            std::fprintf(stderr, "bench_soak: the wallpaper did not start\n");
            platform::DestroyNativeWindow(desktop);
            return 1;
        }
        std::printf("%8s %10s %6s %10s %9s %9s %9s %7s\n", "seconds", "RSS KiB", "files", "GL tex", "GL buf",
                    "AL src", "AL buf", "fps");
        std::vector<SWallpaperSample> samples;
        double const start = bench::GetWallSeconds();
        double nextSample = start + step;
        double intervalStart = start;
        long intervalFrames = 0;
        for (;;) {
            while (platform::PumpOneEvent()) {
            }
            application.Frame();
            ++intervalFrames;
            double const now = bench::GetWallSeconds();
            if (now < nextSample)
                continue;
            samples.push_back(
                TakeWallpaperSample(now - start, double(intervalFrames) / (now - intervalStart)));
            SWallpaperSample const& last = samples.back();
            std::printf("%8.0f %10zu %6u %10u %9u %9u %9u %7.1f\n", last.seconds, last.residentKib,
                        last.openFiles, last.glTextures, last.glBuffers, last.alSources, last.alBuffers,
                        last.framesPerSecond);
            std::fflush(stdout);
            resident->push_back(last.residentKib);
            intervalFrames = 0;
            intervalStart = bench::GetWallSeconds();
            nextSample = intervalStart + step;
            if (now - start >= seconds)
                break;
        }
        bool const steady = samples.size() < 2 || samples.back().SameObjects(samples.front());
        std::printf("open files, GL and sound objects %s\n", steady ? "steady" : "CHANGED");
        status = steady ? 0 : 1;
        application.Shutdown();
    }
    platform::DestroyNativeWindow(desktop);
    return status;
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
    if (argc < 3 || (std::strcmp(argv[1], "cycles") != 0 && std::strcmp(argv[1], "frames") != 0 &&
                     std::strcmp(argv[1], "wallpaper") != 0)) {
        std::fprintf(stderr, "usage: bench_soak cycles N [frames] | bench_soak frames N | "
                             "bench_soak wallpaper SECONDS [step]\n");
        return 2;
    }
    long const count = std::strtol(argv[2], nullptr, 10);
    if (count < 2) {
        std::fprintf(stderr, "bench_soak: N must be at least 2\n");
        return 2;
    }
    std::vector<std::size_t> samples;
    double const start = bench::GetWallSeconds();
    int status = 0;
    if (std::strcmp(argv[1], "wallpaper") == 0) {
        double const step = argc > 3 ? std::strtod(argv[3], nullptr) : 60.0;
        status = SoakWallpaper(double(count), step > 0.0 ? step : 60.0, &samples);
        if (samples.size() < 2)
            return status == 0 ? 2 : status;
    } else if (std::strcmp(argv[1], "cycles") == 0) {
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
    return flat && status == 0 ? 0 : 1;
}
