#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Sound file images synthesised for the tests.
namespace sounddata
{
using Bytes = std::vector<std::uint8_t>;

// 16-bit signed samples (8-bit images store them as unsigned bytes).
std::vector<std::int16_t> Tone(unsigned int frequency, unsigned int samples, float hertz, float amplitude);

// Full-range pseudo-random samples (they compress poorly, so Ogg images get many pages).
std::vector<std::int16_t> Noise(unsigned int samples, unsigned int seed);

// A canonical RIFF WAVE image: "fmt " (16 bytes) then "data".
Bytes MakeWave(std::vector<std::int16_t> const& samples, unsigned int frequency, unsigned int channels = 1,
               unsigned int bits = 16, unsigned int formatTag = 1);

// Ogg Vorbis image of the interleaved samples; a non-negative `lastGranule` replaces the
// end position the last packet claims.
Bytes EncodeOgg(std::vector<std::int16_t> const& samples, unsigned int frequency, unsigned int channels,
                std::int64_t lastGranule = -1);

void PutUInt32(Bytes& bytes, std::size_t at, std::uint32_t value);
void PutUInt16(Bytes& bytes, std::size_t at, std::uint16_t value);
std::uint32_t GetUInt32(Bytes const& bytes, std::size_t at);

Bytes ReadFile(std::string const& path);
void WriteFile(std::string const& path, Bytes const& bytes);
} // namespace sounddata
