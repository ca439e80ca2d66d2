#include "OggWriter.h"

#include <algorithm>
#include <stdexcept>

#include <vorbis/vorbisenc.h>

namespace content
{

namespace
{

constexpr int StreamSerial = 0x436F726C;

void AppendPage(ogg_page const& page, std::vector<std::uint8_t>* bytes)
{
    bytes->insert(bytes->end(), page.header, page.header + page.header_len);
    bytes->insert(bytes->end(), page.body, page.body + page.body_len);
}

} // namespace

std::vector<std::uint8_t> COggWriter::Write(std::vector<float> const& samples, std::uint32_t sampleRate,
                                            float quality)
{
    vorbis_info info;
    vorbis_info_init(&info);
    if (vorbis_encode_init_vbr(&info, 1, static_cast<long>(sampleRate), quality) != 0) {
        vorbis_info_clear(&info);
        throw std::runtime_error("Vorbis encoder refused the settings");
    }
    vorbis_comment comment;
    vorbis_comment_init(&comment);
    vorbis_dsp_state dsp;
    vorbis_block block;
    vorbis_analysis_init(&dsp, &info);
    vorbis_block_init(&dsp, &block);
    ogg_stream_state stream;
    ogg_stream_init(&stream, StreamSerial);

    std::vector<std::uint8_t> bytes;
    ogg_packet header, commentHeader, codeHeader;
    vorbis_analysis_headerout(&dsp, &comment, &header, &commentHeader, &codeHeader);
    ogg_stream_packetin(&stream, &header);
    ogg_stream_packetin(&stream, &commentHeader);
    ogg_stream_packetin(&stream, &codeHeader);
    ogg_page page;
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(page, &bytes);
    }

    constexpr std::size_t Chunk = 1024;
    std::size_t position = 0;
    bool finished = false;
    while (!finished) {
        std::size_t const count = std::min(Chunk, samples.size() - position);
        if (count == 0) {
            vorbis_analysis_wrote(&dsp, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&dsp, static_cast<int>(count));
            for (std::size_t i = 0; i < count; ++i) {
                buffer[0][i] = samples[position + i];
            }
            vorbis_analysis_wrote(&dsp, static_cast<int>(count));
            position += count;
        }
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) != 0) {
                ogg_stream_packetin(&stream, &packet);
                while (ogg_stream_pageout(&stream, &page) != 0) {
                    AppendPage(page, &bytes);
                    if (ogg_page_eos(&page) != 0) {
                        finished = true;
                    }
                }
            }
        }
        if (count == 0) {
            finished = true;
        }
    }
    while (ogg_stream_flush(&stream, &page) != 0) {
        AppendPage(page, &bytes);
    }
    ogg_stream_clear(&stream);
    vorbis_block_clear(&block);
    vorbis_dsp_clear(&dsp);
    vorbis_comment_clear(&comment);
    vorbis_info_clear(&info);
    return bytes;
}

} // namespace content
