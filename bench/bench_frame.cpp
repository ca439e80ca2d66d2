// The whole aquarium as the screen saver runs it, for a fixed number of frames in the
// display's size: frames per second, main-thread CPU time per frame split into the engine's
// frame start (model refresh, skinning, sprites, particles, GUI, draw submission), the
// plug-ins' simulation and the present, and again into simulation and rendering; the
// renderer's CPU time, and peak memory.
// Usage: bench_frame [frames] [warm-up frames]
// BENCH_TRACE_ALLOCATIONS=1 prints the call stack of every allocation in the first measured frame.
#include "AquariumApp.h"
#include "DrawableSize.h"
#include "FrameClock.h"
#include "ScreenOverlay.h"
#include "model/ModelManager.h"
#include "render/Direct3DSubsystem.h"

#include <algorithm>
#include <atomic>
#include <execinfo.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <new>
#include <string>

namespace
{
// C++ heap allocations of the whole process (engine, program, plug-ins).
std::atomic<unsigned long> g_allocations{0};
std::atomic<bool> g_traceAllocations{false};

void PrintAllocationStack(std::size_t size)
{
    static thread_local bool inside = false;
    if (inside)
        return;
    inside = true;
    void* frames[24];
    int const depth = backtrace(frames, 24);
    std::fprintf(stderr, "-- allocation of %zu bytes\n", size);
    std::fflush(stderr);
    backtrace_symbols_fd(frames + 1, depth - 1, STDERR_FILENO);
    inside = false;
}
} // namespace

void* operator new(std::size_t size)
{
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (g_traceAllocations.load(std::memory_order_relaxed))
        PrintAllocationStack(size);
    if (void* block = std::malloc(size ? size : 1))
        return block;
    throw std::bad_alloc();
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

namespace
{
double GetProcessCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

struct SFrameTimes
{
    double wall = 0.0;
    double process = 0.0;
    double engineFrame = 0.0;
    double modelRefresh = 0.0;
    double drawSubmission = 0.0;
    double plugins = 0.0;
    double present = 0.0;
};
} // namespace

int main(int argc, char** argv)
{
    long const frames = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 300;
    long const warmUp = argc > 2 ? std::strtol(argv[2], nullptr, 10) : 30;
    CAquariumApp application;
    if (!application.StartUp(RUN_SCREENSAVER, nullptr)) {
        std::fprintf(stderr, "bench_frame: the aquarium did not start\n");
        return 1;
    }
    CEngine* engine = application.GetEngine();
    CPluginTable* plugins = application.GetPlugins();
    CScreenOverlay* overlay = application.GetScreenOverlay();
    CModelManager const* models = engine->GetModelManager();
    D3DPRESENT_PARAMETERS const& screen = engine->GetDirect3DSubsystem()->GetPresentParameters();
    if (!bench::CheckDrawableSize("bench_frame", engine->GetWindow()->GetHandler(), screen.BackBufferWidth,
                                  screen.BackBufferHeight)) {
        application.Shutdown();
        return 1;
    }

    // Configuration lines to run first, separated by ';' (say "r_keep_background 0").
    if (char const* lines = std::getenv("BENCH_CONFIG")) {
        std::string const all = lines;
        for (std::size_t start = 0; start <= all.size();) {
            std::size_t const end = std::min(all.find(';', start), all.size());
            engine->GetConfig()->ExecuteCommand(all.substr(start, end - start).c_str());
            start = end + 1;
        }
    }
    // The program hands its render scale to the device before each frame; the loop below does
    // not run the program's frame, so it is handed over once here.
    engine->GetDirect3DSubsystem()->SetRenderScale(engine->GetConfig()->GetValueAsFloat("r_render_scale"));
    bool const traceAllocations = std::getenv("BENCH_TRACE_ALLOCATIONS") != nullptr;
    SFrameTimes total;
    long restoredFrames = 0;
    std::size_t residentAfterWarmUp = 0;
    unsigned long allocationsAfterWarmUp = 0;
    for (long frame = -warmUp; frame < frames; ++frame) {
        if (frame == 0) {
            application.SettleScene(); // as the program does after its first seconds
            residentAfterWarmUp = bench::GetResidentKilobytes();
            allocationsAfterWarmUp = g_allocations.load();
        }
        g_traceAllocations = traceAllocations && frame == 0;
        double const wall = bench::GetWallSeconds();
        double const process = GetProcessCpuSeconds();
        double const start = bench::GetThreadCpuSeconds();
        engine->BeginFrame();
        double const afterEngine = bench::GetThreadCpuSeconds();
        overlay->Refresh(); // takes the loading picture away after the first frame, as the program does
        plugins->RefreshAll();
        double const afterPlugins = bench::GetThreadCpuSeconds();
        engine->FinishFrame();
        double const end = bench::GetThreadCpuSeconds();
        g_traceAllocations = false;
        if (frame < 0)
            continue;
        total.wall += bench::GetWallSeconds() - wall;
        total.process += GetProcessCpuSeconds() - process;
        total.engineFrame += afterEngine - start;
        total.modelRefresh += models->GetLastRefreshSeconds();
        total.drawSubmission += models->GetLastDrawSeconds();
        restoredFrames += models->WasBackgroundRestored() ? 1 : 0;
        total.plugins += afterPlugins - afterEngine;
        total.present += end - afterPlugins;
    }
    unsigned long const allocations = g_allocations.load() - allocationsAfterWarmUp;
    std::size_t const residentAtEnd = bench::GetResidentKilobytes();
    unsigned int const drawnModels = models->GetDrawListSize();
    unsigned int const triangles = models->GetVisibleTrianglesCount();
    float const renderScale = engine->GetDirect3DSubsystem()->GetRenderScale();
    application.Shutdown();

    double const n = double(frames > 0 ? frames : 1);
    double const mainThread = total.engineFrame + total.plugins + total.present;
    std::printf("screen %ux%u, %ld frames (after %ld warm-up frames), render scale %.2f\n",
                screen.BackBufferWidth, screen.BackBufferHeight, frames, warmUp, double(renderScale));
    std::printf("frames per second        %8.1f\n", n / total.wall);
    std::printf("wall time per frame      %8.2f ms\n", 1000.0 * total.wall / n);
    std::printf("main-thread CPU / frame  %8.2f ms\n", 1000.0 * mainThread / n);
    std::printf(
        "  engine frame start     %8.2f ms  (model refresh, skinning, sprites, particles, draw submission)\n",
        1000.0 * total.engineFrame / n);
    std::printf("  plug-ins (simulation)  %8.2f ms  (fish school, plankton, starfish, tank)\n",
                1000.0 * total.plugins / n);
    std::printf("  present                %8.2f ms\n", 1000.0 * total.present / n);
    // The engine's frame start holds both: model refresh on the simulation side, clear and
    // draw submission (the driver's vertex work) on the rendering side.
    double const rendering = total.drawSubmission + total.present;
    std::printf("simulation / frame       %8.2f ms  (plug-ins, model refresh with skinning and morphs, "
                "sprites, particles, GUI; of it model refresh %.2f ms)\n",
                1000.0 * std::max(0.0, mainThread - rendering) / n, 1000.0 * total.modelRefresh / n);
    std::printf("rendering / frame        %8.2f ms  (draw submission %.2f ms, present)\n",
                1000.0 * rendering / n, 1000.0 * total.drawSubmission / n);
    std::printf("renderer threads CPU     %8.2f ms  (process CPU less main thread)\n",
                1000.0 * (total.process - mainThread) / n);
    std::printf("models drawn             %8u  (%u triangles in view)\n", drawnModels, triangles);
    std::printf("kept background          %8.1f %% of frames started from it\n",
                100.0 * double(restoredFrames) / n);
    std::printf("C++ heap allocations     %8.1f per frame\n", double(allocations) / n);
    std::printf("resident memory          %8zu KiB after warm-up, %zu KiB at the end\n", residentAfterWarmUp,
                residentAtEnd);
    std::printf("peak resident memory     %8zu KiB\n", bench::GetPeakResidentKilobytes());
    return 0;
}
