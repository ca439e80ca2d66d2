#pragma once

#include <cstdint>
#include <vector>

namespace content
{

// Mono 16-bit PCM RIFF/WAVE. Samples are clamped to [-1, 1].
class CWavWriter
{
public:
    static std::vector<std::uint8_t> Write(std::vector<float> const& samples, std::uint32_t sampleRate);
};

} // namespace content
