#include "HeadlessSway.h"

#include <fstream>

namespace wayland
{
namespace fs = std::filesystem;

namespace
{
constexpr double CaptureSeconds = 10.0;
constexpr auto CaptureInterval = std::chrono::milliseconds(250);
} // namespace

bool HeadlessSway::Start(std::string& problem)
{
    std::string const sway = FindProgram("sway");
    if (access(sway.c_str(), X_OK) != 0) {
        problem = "sway is not installed (scripts/setup installs it)";
        return false;
    }
    fs::path const configuration = Folder() / "sway.conf";
    std::ofstream(configuration) << "xwayland disable\noutput * mode " << OutputWidth << "x" << OutputHeight
                                 << "\n";
    if (!Launch({sway, "-c", configuration.string()},
                {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman", "WLR_LIBINPUT_NO_DEVICES=1",
                 "SWAYSOCK=", "I3SOCK="})) {
        problem = "cannot start sway";
        return false;
    }
    bool const listening = WaitUntilListening([this] {
        std::optional<std::string> const ipc = FindSocket("sway-ipc.", ".sock");
        if (!ipc)
            return false;
        m_ipcSocket = (RuntimeFolder() / *ipc).string();
        m_outputs = 1;
        return Command("nop");
    });
    if (!listening)
        problem = "headless sway did not start as " + GetUser().name + ": " + GetLog();
    return listening;
}

std::vector<std::string> HeadlessSway::ClientEnvironment(std::vector<std::string> more) const
{
    more.insert(more.begin(), "SWAYSOCK=" + m_ipcSocket);
    return HeadlessCompositor::ClientEnvironment(std::move(more));
}

bool HeadlessSway::Command(std::string const& command)
{
    return RunClient({"swaymsg", command}) == std::optional<int>(0);
}

std::optional<std::string> HeadlessSway::CreateOutput()
{
    if (!Command("create_output"))
        return std::nullopt;
    return "HEADLESS-" + std::to_string(++m_outputs);
}

std::optional<Screenshot> HeadlessSway::Capture(std::string const& output)
{
    fs::path const file = Folder() / "shots" / (std::to_string(++m_captures) + ".ppm");
    if (RunClient({"grim", "-t", "ppm", "-o", output, file.string()}, CaptureSeconds) !=
        std::optional<int>(0))
        return std::nullopt;
    std::optional<Screenshot> shot = Screenshot::Load(file);
    fs::remove(file);
    return shot;
}

std::optional<Screenshot> HeadlessSway::WaitForScene(std::string const& output, double seconds,
                                                     Colour background)
{
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(seconds);
    std::optional<Screenshot> shot = Capture(output);
    while (ChildProcess::Clock::now() < end && !(shot && shot->IsSceneInEveryQuadrant(background))) {
        std::this_thread::sleep_for(CaptureInterval);
        shot = Capture(output);
    }
    return shot;
}

std::optional<Screenshot> HeadlessSway::WaitForChange(std::string const& output, Screenshot const& earlier,
                                                      double seconds)
{
    auto const end = ChildProcess::Clock::now() + std::chrono::duration<double>(seconds);
    std::optional<Screenshot> shot = Capture(output);
    while (ChildProcess::Clock::now() < end && shot && *shot == earlier) {
        std::this_thread::sleep_for(CaptureInterval);
        shot = Capture(output);
    }
    return shot;
}
} // namespace wayland
