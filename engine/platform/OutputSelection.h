#pragma once

#include <string>
#include <vector>

// The outputs (monitors, by connector name) the wallpaper and the screen saver cover; empty
// means all. Window systems that cannot tell outputs apart ignore it.
namespace platform
{
void SetChosenOutputs(std::vector<std::string> names);
std::vector<std::string> const& GetChosenOutputs();
} // namespace platform
