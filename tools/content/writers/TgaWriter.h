#pragma once

#include "Picture.h"

#include <cstdint>
#include <vector>

namespace content
{

// Uncompressed TGA with a top-left origin: 8-bit pictures with a grey colour map,
// colour pictures as B, G, R (, A). Throws std::invalid_argument for an invalid picture.
class CTgaWriter
{
public:
    static std::vector<std::uint8_t> Write(SPicture const& picture);
};

} // namespace content
