#include "platform/window/OutputSelection.h"

namespace platform
{
namespace
{
std::vector<std::string>& ChosenOutputs()
{
    static std::vector<std::string> names;
    return names;
}

DesktopLayer& ChosenLayer()
{
    static DesktopLayer layer = DesktopLayer::Background;
    return layer;
}
} // namespace

void SetDesktopLayer(DesktopLayer layer)
{
    ChosenLayer() = layer;
}

DesktopLayer GetDesktopLayer()
{
    return ChosenLayer();
}

void SetChosenOutputs(std::vector<std::string> names)
{
    ChosenOutputs() = std::move(names);
}

std::vector<std::string> const& GetChosenOutputs()
{
    return ChosenOutputs();
}
} // namespace platform
