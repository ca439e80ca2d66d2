// WAV sound files: the chunk walk and the loader behind it.
#include "SoundFuzzHost.h"

#include "sound/WaveLayout.h"

#include <cmath>
#include <vector>

namespace
{
void PutUInt32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * b)));
}

void PutUInt16(std::vector<std::uint8_t>& bytes, std::uint16_t value)
{
    bytes.push_back(static_cast<std::uint8_t>(value));
    bytes.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutTag(std::vector<std::uint8_t>& bytes, char const* tag)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(tag[i]));
}

std::vector<std::uint8_t> Wave(unsigned int bits, unsigned int samples, bool listChunk)
{
    unsigned int const dataSize = samples * bits / 8;
    std::vector<std::uint8_t> bytes;
    PutTag(bytes, "RIFF");
    PutUInt32(bytes, 36 + dataSize);
    PutTag(bytes, "WAVE");
    if (listChunk) {
        PutTag(bytes, "LIST");
        PutUInt32(bytes, 5);
        for (char const c : std::string("abcde\0", 6))
            bytes.push_back(static_cast<std::uint8_t>(c));
    }
    PutTag(bytes, "fmt ");
    PutUInt32(bytes, 16);
    PutUInt16(bytes, 1);
    PutUInt16(bytes, 1);
    PutUInt32(bytes, 8000);
    PutUInt32(bytes, 8000 * bits / 8);
    PutUInt16(bytes, static_cast<std::uint16_t>(bits / 8));
    PutUInt16(bytes, static_cast<std::uint16_t>(bits));
    PutTag(bytes, "data");
    PutUInt32(bytes, dataSize);
    for (unsigned int i = 0; i < samples; ++i) {
        int const value = static_cast<int>(20000.0 * std::sin(i * 0.3));
        if (bits == 8)
            bytes.push_back(static_cast<std::uint8_t>((value >> 8) + 128));
        else
            PutUInt16(bytes, static_cast<std::uint16_t>(value));
    }
    return bytes;
}
} // namespace

extern "C" void FuzzSeedInputs(std::vector<std::vector<std::uint8_t>>& seeds)
{
    seeds.push_back(Wave(16, 64, false));
    seeds.push_back(Wave(8, 33, false));
    seeds.push_back(Wave(16, 20, true));
    unsigned int size = 0;
    unsigned char const* empty = CSoundBuffer::GetEmptyWaveImage(&size);
    seeds.emplace_back(empty, empty + size);
}

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size)
{
    static CSoundFuzzHost host;
    SWaveLayout layout;
    if (ReadWaveLayout(data, size, &layout) && layout.dataOffset + layout.dataSize > size)
        std::abort();
    host.Load("fuzz.wav", data, size);
    return 0;
}
