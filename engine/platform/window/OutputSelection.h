#pragma once

#include <string>
#include <vector>

// The outputs (monitors, by connector name) the wallpaper and the screen saver cover; empty
// means all. Window systems that cannot tell outputs apart ignore it. Also the layer the
// wallpaper lies in where the window system stacks desktop surfaces in layers.
namespace platform
{
void SetChosenOutputs(std::vector<std::string> names);
std::vector<std::string> const& GetChosenOutputs();

enum class DesktopLayer
{
    Background, // under everything
    Bottom,     // above the background, for desktops whose own surface covers that
};
void SetDesktopLayer(DesktopLayer layer);
DesktopLayer GetDesktopLayer();
} // namespace platform
