#pragma once

#include "Picture.h"

#include <cstdint>
#include <vector>

namespace content
{

// Baseline JPEG through libjpeg: grey for 1-channel pictures, RGB for 3-channel ones.
// Throws std::invalid_argument for other pictures, std::runtime_error on coder failure.
class CJpegWriter
{
public:
    static std::vector<std::uint8_t> Write(SPicture const& picture, int quality = 90);
};

} // namespace content
