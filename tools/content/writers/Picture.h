#pragma once

#include <cstdint>
#include <vector>

namespace content
{

// An 8-bit picture as the writers take it: 1 (grey or alpha), 3 (RGB) or 4 (RGBA)
// channels, rows stored top row first, pixels tightly packed.
struct SPicture
{
    unsigned int width = 0, height = 0, channels = 3;
    std::vector<std::uint8_t> pixels;

    SPicture() = default;
    SPicture(unsigned int w, unsigned int h, unsigned int c)
        : width(w), height(h), channels(c), pixels(w * h * c)
    {}
    std::uint8_t* At(unsigned int x, unsigned int y) { return pixels.data() + (y * width + x) * channels; }
    std::uint8_t const* At(unsigned int x, unsigned int y) const
    {
        return pixels.data() + (y * width + x) * channels;
    }
    bool IsValid() const
    {
        return width > 0 && height > 0 && (channels == 1 || channels == 3 || channels == 4) &&
               pixels.size() == static_cast<std::size_t>(width) * height * channels;
    }
};

} // namespace content
