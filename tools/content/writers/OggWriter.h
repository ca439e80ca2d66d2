#pragma once

#include <cstdint>
#include <vector>

namespace content
{

// Mono Ogg Vorbis (variable bit rate) with a fixed stream serial, so equal samples give
// equal bytes. Throws std::runtime_error when the encoder refuses the settings.
class COggWriter
{
public:
    static std::vector<std::uint8_t> Write(std::vector<float> const& samples, std::uint32_t sampleRate,
                                           float quality = 0.4f);
};

} // namespace content
