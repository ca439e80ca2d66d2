#pragma once

#include <cstddef>
#include <cstdint>

// Where the parts of a RIFF WAVE image lie, found by walking its chunks the way the
// WAV loader will: the last "fmt " chunk before the first "data" chunk describes it.
struct SWaveLayout
{
    std::uint16_t formatTag = 0;
    std::uint16_t channels = 0;
    std::uint32_t frequency = 0;
    std::uint16_t bitsPerSample = 0;
    std::size_t dataOffset = 0;
    std::uint32_t dataSize = 0;
};

// Highest sample rate accepted from a WAV header.
constexpr std::uint32_t MaxWaveFrequency = 1000000;

// True when the image is a RIFF WAVE whose every chunk up to and including the first
// "data" chunk lies inside the image, with a "fmt " chunk of at least 16 bytes before it.
bool ReadWaveLayout(unsigned char const* image, std::size_t size, SWaveLayout* layout);

// True for uncompressed PCM of 8 or 16 bits at a rate of 1 ... MaxWaveFrequency Hz
// with a non-empty data chunk (channels are checked separately).
bool IsPlayablePcm(SWaveLayout const& layout);
