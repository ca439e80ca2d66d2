#pragma once

// A headless KWin of the test's own: one virtual output of a given pixel size at a fractional
// scale, drawn by the software renderer, with the fractional-scale and viewporter protocols
// and the layer shell on offer. Pictures of the output come through KWin's screenshot
// interface on a session bus of the test's own.
#include "HeadlessCompositor.h"
#include "Screenshot.h"

#include <optional>
#include <string>

namespace wayland
{
// What KWin shows where no client draws.
constexpr Colour KWinBackground{0x00, 0x00, 0x00};

class HeadlessKWin : public HeadlessCompositor
{
public:
    // The name KWin gives its virtual output.
    static constexpr char const* OutputName = "Virtual-0";

    using HeadlessCompositor::HeadlessCompositor;
    ~HeadlessKWin() override;

    // Starts the compositor with one output of `pixelWidth` x `pixelHeight` shown at `scale`
    // and waits until it takes clients; false (and why in `problem`) when it does not.
    bool Start(int pixelWidth, int pixelHeight, double scale, std::string& problem);

    // A picture of the output in its own pixels as it is shown now.
    std::optional<Screenshot> Capture(std::string& problem);

    // Captures the output until it shows a scene over KWin's background in every quadrant or
    // `seconds` pass; the last picture.
    std::optional<Screenshot> WaitForScene(double seconds, std::string& problem);

private:
    bool StartBus(std::string& problem);

    ChildProcess m_bus;
    std::string m_busAddress;
};
} // namespace wayland
