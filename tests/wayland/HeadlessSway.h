#pragma once

// A headless sway of the test's own (software renderer, no input devices): outputs added and
// changed through its IPC socket, and pictures of them taken with grim.
#include "HeadlessCompositor.h"
#include "Screenshot.h"

#include <optional>
#include <string>
#include <vector>

namespace wayland
{
// sway's own background where no client draws.
constexpr Colour SwayBackground{0x3f, 0x3f, 0x3f};

class HeadlessSway : public HeadlessCompositor
{
public:
    // Every output opens at this size.
    static constexpr int OutputWidth = 640;
    static constexpr int OutputHeight = 400; // the program lists no display mode under 640x400

    using HeadlessCompositor::HeadlessCompositor;

    // Starts the compositor with one output and waits until it takes clients; false (and why in
    // `problem`) when it does not.
    bool Start(std::string& problem);

    // Adds sway's IPC socket.
    std::vector<std::string> ClientEnvironment(std::vector<std::string> more = {}) const override;

    // A sway command through its IPC socket; true when sway reports success.
    bool Command(std::string const& command);

    // Adds a headless output; its name ("HEADLESS-2", ...).
    std::optional<std::string> CreateOutput();

    // A picture of `output` as it is shown now.
    std::optional<Screenshot> Capture(std::string const& output);

    // Captures `output` until it shows a scene over `background` in every quadrant or `seconds`
    // pass; the last picture.
    std::optional<Screenshot> WaitForScene(std::string const& output, double seconds,
                                           Colour background = SwayBackground);

    // Captures `output` until it differs from `earlier` or `seconds` pass; the last picture.
    std::optional<Screenshot> WaitForChange(std::string const& output, Screenshot const& earlier,
                                            double seconds);

private:
    std::string m_ipcSocket;
    int m_outputs = 0;
    int m_captures = 0;
};
} // namespace wayland
