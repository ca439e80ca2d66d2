// Coralume: for now a demonstration run of the engine's frame cycle.
#include "core/Engine.h"
#include "core/Errors.h"
#include "platform/Clock.h"
#include "platform/MessageBox.h"
#include "platform/Path.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{
struct SDemoOptions
{
    double seconds = 0.0; // 0: until the window is closed
    std::string screenshotDirectory;
};

void PrintUsage()
{
    std::printf("Usage: coralume [options]\n"
                "  --demo-seconds N      run N seconds, then print frames per second and exit\n"
                "  --screenshot-dir DIR  where screenshots are written\n"
                "  --help                show this text\n");
}

bool ParseOptions(int argc, char** argv, SDemoOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--help") || !std::strcmp(argv[i], "-h")) {
            PrintUsage();
            std::exit(0);
        } else if (!std::strcmp(argv[i], "--demo-seconds") && i + 1 < argc) {
            options.seconds = std::atof(argv[++i]);
        } else if (!std::strcmp(argv[i], "--screenshot-dir") && i + 1 < argc) {
            options.screenshotDirectory = argv[++i];
        } else {
            std::fprintf(stderr, "coralume: unknown option '%s' (see --help)\n", argv[i]);
            return false;
        }
    }
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    SDemoOptions options;
    if (!ParseOptions(argc, argv, options))
        return 2;

    std::string const directory = platform::GetExecutableDirectory();
    SEngineSettings settings{};
    settings.applicationName = "Coralume";
    settings.applicationVersion = 100;
    settings.engineDirectory = directory.c_str();
    settings.configFileName = "Coralume";
    settings.createLogFile = true;
    settings.packDirectory = "Data";
    settings.defaultVideoMode = "800x600x32";

    CEngine engine;
    int status = 0;
    try {
        engine.Create(settings);
        std::int64_t const frequency = platform::GetPerformanceFrequency();
        std::int64_t const start = platform::GetPerformanceCounter();
        long frames = 0;
        double elapsed = 0.0;
        while (!engine.IsExit()) {
            engine.BeginFrame();
            if (!engine.IsStopped())
                engine.FinishFrame();
            ++frames;
            elapsed = double(platform::GetPerformanceCounter() - start) / double(frequency);
            if (options.seconds > 0.0 && elapsed >= options.seconds)
                engine.Exit(true);
        }
        if (elapsed > 0.0)
            std::printf("%ld frames in %.2f s: %.1f frames per second\n", frames, elapsed, frames / elapsed);
    } catch (CFatalError const& error) {
        platform::ShowMessageBox("Fatal Error", error.GetText());
        status = 1;
    }
    engine.Destroy();
    return status;
}
