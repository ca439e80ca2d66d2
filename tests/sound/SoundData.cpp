#include "sound/SoundData.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>

namespace sounddata
{
namespace
{
void Append(Bytes& bytes, char const* tag)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(tag[i]));
}

void AppendUInt32(Bytes& bytes, std::uint32_t value)
{
    bytes.resize(bytes.size() + 4);
    PutUInt32(bytes, bytes.size() - 4, value);
}

void AppendUInt16(Bytes& bytes, std::uint16_t value)
{
    bytes.resize(bytes.size() + 2);
    PutUInt16(bytes, bytes.size() - 2, value);
}

void AppendPages(Bytes& bytes, ogg_page const& page)
{
    bytes.insert(bytes.end(), page.header, page.header + page.header_len);
    bytes.insert(bytes.end(), page.body, page.body + page.body_len);
}
} // namespace

std::vector<std::int16_t> Tone(unsigned int frequency, unsigned int samples, float hertz, float amplitude)
{
    std::vector<std::int16_t> tone(samples);
    for (unsigned int i = 0; i < samples; ++i) {
        double const phase = 2.0 * std::numbers::pi * hertz * i / frequency;
        tone[i] = static_cast<std::int16_t>(std::lround(32767.0 * amplitude * std::sin(phase)));
    }
    return tone;
}

std::vector<std::int16_t> Noise(unsigned int samples, unsigned int seed)
{
    std::vector<std::int16_t> noise(samples);
    std::uint32_t state = seed;
    for (std::int16_t& sample : noise) {
        state = state * 1103515245u + 12345u;
        sample = static_cast<std::int16_t>(state >> 16);
    }
    return noise;
}

Bytes MakeWave(std::vector<std::int16_t> const& samples, unsigned int frequency, unsigned int channels,
               unsigned int bits, unsigned int formatTag)
{
    unsigned int const bytesPerSample = bits / 8;
    std::uint32_t const dataSize = static_cast<std::uint32_t>(samples.size() * bytesPerSample);
    Bytes bytes;
    Append(bytes, "RIFF");
    AppendUInt32(bytes, 36 + dataSize);
    Append(bytes, "WAVE");
    Append(bytes, "fmt ");
    AppendUInt32(bytes, 16);
    AppendUInt16(bytes, static_cast<std::uint16_t>(formatTag));
    AppendUInt16(bytes, static_cast<std::uint16_t>(channels));
    AppendUInt32(bytes, frequency);
    AppendUInt32(bytes, frequency * channels * bytesPerSample);
    AppendUInt16(bytes, static_cast<std::uint16_t>(channels * bytesPerSample));
    AppendUInt16(bytes, static_cast<std::uint16_t>(bits));
    Append(bytes, "data");
    AppendUInt32(bytes, dataSize);
    for (std::int16_t const sample : samples) {
        if (bits == 8)
            bytes.push_back(static_cast<std::uint8_t>((sample >> 8) + 128));
        else
            AppendUInt16(bytes, static_cast<std::uint16_t>(sample));
    }
    return bytes;
}

Bytes EncodeOgg(std::vector<std::int16_t> const& samples, unsigned int frequency, unsigned int channels,
                std::int64_t lastGranule)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, static_cast<long>(channels), static_cast<long>(frequency), 0.4f) != 0)
        std::abort();
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block block;
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, 1234);

    Bytes bytes;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0)
        AppendPages(bytes, page);

    std::size_t const frames = samples.size() / channels;
    std::size_t done = 0;
    bool finished = false;
    while (!finished) {
        std::size_t const count = std::min<std::size_t>(1024, frames - done);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (std::size_t i = 0; i < count; ++i)
                for (unsigned int c = 0; c < channels; ++c)
                    buffer[c][i] = samples[(done + i) * channels + c] / 32768.0f;
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            done += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet)) {
                if (packet.e_o_s && lastGranule >= 0)
                    packet.granulepos = lastGranule;
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPages(bytes, page);
                    if (ogg_page_eos(&page))
                        finished = true;
                }
            }
        }
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return bytes;
}

void PutUInt32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int b = 0; b < 4; ++b)
        bytes[at + b] = static_cast<std::uint8_t>(value >> (8 * b));
}

void PutUInt16(Bytes& bytes, std::size_t at, std::uint16_t value)
{
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint32_t GetUInt32(Bytes const& bytes, std::size_t at)
{
    return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

Bytes ReadFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(std::string const& path, Bytes const& bytes)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<char const*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
} // namespace sounddata
