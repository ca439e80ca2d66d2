// Coralume: the aquarium screen saver, its preview, the live wallpaper and the settings launcher.
#include "AquariumApp.h"
#include "CommandLine.h"
#include "platform/os/ProgramRestart.h"
#include "platform/window/OutputSelection.h"
#include "platform/window/WindowBackend.h"
#include "platform/window/WindowSystem.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> const arguments(argv + 1, argv + argc);
    SLaunchOptions const options = ParseLaunchOptions(arguments, std::getenv("XSCREENSAVER_WINDOW"));
    if (!options.error.empty()) {
        std::fprintf(stderr, "coralume: %s\n\n%s", options.error.c_str(), GetUsageText());
        return 2;
    }
    if (options.help) {
        std::fputs(GetUsageText(), stdout);
        return 0;
    }
    platform::WindowSystem const windowSystem =
        platform::ChooseWindowSystem(options.windowSystem, std::getenv("WAYLAND_DISPLAY"));
    if (platform::FindWindowBackend(windowSystem) == nullptr) {
        std::fprintf(stderr, "coralume: this build has no %s back end\n",
                     platform::GetWindowSystemName(windowSystem));
        return 1;
    }
    platform::SetActiveWindowSystem(windowSystem);
    platform::SetChosenOutputs(options.outputs);
    platform::SetDesktopLayer(options.layer);
    if (!options.display.empty())
        setenv("DISPLAY", options.display.c_str(), 1);
    // A write beyond the file size limit fails with an error that is reported, instead of
    // ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    bool restart = false;
    int status = 0;
    {
        CAquariumApp application;
        status = application.Run(options);
        restart = application.IsRestartWanted();
    }
    if (restart)
        platform::RunProgramAgain(argv);
    return status;
}
