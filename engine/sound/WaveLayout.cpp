#include "sound/WaveLayout.h"

namespace
{
std::uint32_t ReadUInt32(unsigned char const* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

std::uint16_t ReadUInt16(unsigned char const* at)
{
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

bool HasTag(unsigned char const* at, char const* tag)
{
    return at[0] == tag[0] && at[1] == tag[1] && at[2] == tag[2] && at[3] == tag[3];
}
} // namespace

bool ReadWaveLayout(unsigned char const* image, std::size_t size, SWaveLayout* layout)
{
    constexpr std::size_t RiffHeaderSize = 12;
    constexpr std::size_t ChunkHeaderSize = 8;
    constexpr std::uint32_t FormatFieldsSize = 16;

    if (!image || size < RiffHeaderSize || !HasTag(image, "RIFF") || !HasTag(image + 8, "WAVE"))
        return false;
    // The RIFF length field is not trusted: the chunks are bounded by the image itself.
    bool formatFound = false;
    SWaveLayout found;
    std::size_t at = RiffHeaderSize;
    while (size - at >= ChunkHeaderSize) {
        unsigned char const* chunk = image + at;
        std::uint64_t const length = ReadUInt32(chunk + 4);
        at += ChunkHeaderSize;
        if (length > size - at)
            return false;
        if (HasTag(chunk, "data")) {
            if (!formatFound)
                return false;
            found.dataOffset = at;
            found.dataSize = static_cast<std::uint32_t>(length);
            *layout = found;
            return true;
        }
        if (HasTag(chunk, "fmt ")) {
            if (length < FormatFieldsSize)
                return false;
            formatFound = true;
            found.formatTag = ReadUInt16(image + at);
            found.channels = ReadUInt16(image + at + 2);
            found.frequency = ReadUInt32(image + at + 4);
            found.bitsPerSample = ReadUInt16(image + at + 14);
        }
        at += static_cast<std::size_t>(length);
        // Odd chunks carry a pad byte.
        if (length & 1) {
            if (at == size)
                return false;
            ++at;
        }
    }
    return false;
}

bool IsPlayablePcm(SWaveLayout const& layout)
{
    return layout.formatTag == 1 && (layout.bitsPerSample == 8 || layout.bitsPerSample == 16) &&
           layout.frequency >= 1 && layout.frequency <= MaxWaveFrequency && layout.dataSize > 0 &&
           layout.dataSize <= 0x7FFFFFFFu;
}
