#include "platform/OutputSelection.h"

namespace platform
{
namespace
{
std::vector<std::string>& ChosenOutputs()
{
    static std::vector<std::string> names;
    return names;
}
} // namespace

void SetChosenOutputs(std::vector<std::string> names)
{
    ChosenOutputs() = std::move(names);
}

std::vector<std::string> const& GetChosenOutputs()
{
    return ChosenOutputs();
}
} // namespace platform
