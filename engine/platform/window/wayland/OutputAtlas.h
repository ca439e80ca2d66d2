#pragma once

#include "platform/window/MonitorRect.h"

#include <vector>

// One buffer holding every output's picture, each at the output's own pixel size, so that the
// device draws them all in one frame (one view each) and every output shows its own part.
namespace platform::wayland
{
struct AtlasOutput
{
    int x = 0; // where the compositor places the output, in logical units
    int y = 0;
    int logicalWidth = 0;
    int pixelWidth = 0; // the output's picture in pixels
    int pixelHeight = 0;
};

struct OutputAtlas
{
    // The largest side a buffer may have; larger layouts get no atlas.
    static constexpr int MaxSide = 16384;

    int width = 0;
    int height = 0;
    std::vector<MonitorRect> areas; // one per output, in the order given; empty: no atlas

    bool IsEmpty() const { return areas.empty(); }
};

// Places the outputs' pictures where the compositor places the outputs, at the finest scale
// among them, so that a view spanning them follows their real arrangement. Outputs that
// overlap there (mirrored, or not placed yet) are put side by side in one row instead.
OutputAtlas ArrangeOutputAtlas(std::vector<AtlasOutput> const& outputs);
} // namespace platform::wayland
