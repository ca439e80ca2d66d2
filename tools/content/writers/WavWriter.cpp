#include "WavWriter.h"

#include "ByteWriter.h"

#include <algorithm>
#include <cmath>

namespace content
{

std::vector<std::uint8_t> CWavWriter::Write(std::vector<float> const& samples, std::uint32_t sampleRate)
{
    std::uint32_t const dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    CByteWriter out;
    out.WriteText("RIFF");
    out.WriteU32(36 + dataSize);
    out.WriteText("WAVE");
    out.WriteText("fmt ");
    out.WriteU32(16);
    out.WriteU16(1); // PCM
    out.WriteU16(1); // mono
    out.WriteU32(sampleRate);
    out.WriteU32(sampleRate * 2);
    out.WriteU16(2);
    out.WriteU16(16);
    out.WriteText("data");
    out.WriteU32(dataSize);
    for (float sample : samples) {
        float const clamped = std::clamp(sample, -1.0f, 1.0f);
        out.WriteU16(static_cast<std::uint16_t>(static_cast<std::int16_t>(std::lround(clamped * 32767.0f))));
    }
    return out.TakeBytes();
}

} // namespace content
