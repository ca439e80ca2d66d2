#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content
{

// The ".dat" file beside a plug-in library: first byte, enabled byte, two binary strings,
// then the plug-in's own data.
struct SPluginDescriptor
{
    std::uint8_t first = 1;
    bool enabled = true;
    std::string firstText;
    std::string secondText;
    std::vector<std::uint8_t> ownData;
};

class CPluginDescriptorWriter
{
public:
    static std::vector<std::uint8_t> Write(SPluginDescriptor const& descriptor);
};

} // namespace content
