#include "ByteReader.h"

#include "JpegWriter.h"
#include "OggWriter.h"
#include "TgaWriter.h"
#include "WavWriter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include <jpeglib.h>
#include <vorbis/vorbisfile.h>

using namespace content;

namespace
{

SPicture MakeGradient(unsigned int width, unsigned int height, unsigned int channels)
{
    SPicture picture(width, height, channels);
    for (unsigned int y = 0; y < height; ++y) {
        for (unsigned int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.At(x, y);
            for (unsigned int c = 0; c < channels; ++c) {
                p[c] = static_cast<std::uint8_t>((x * 16 + y * 4 + c * 60) & 0xFF);
            }
        }
    }
    return picture;
}

// Decodes a JPEG held in memory; returns the picture with its rows top first.
SPicture DecodeJpeg(std::vector<std::uint8_t> const& bytes)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, const_cast<unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    jpeg_start_decompress(&info);
    SPicture picture(info.output_width, info.output_height,
                     static_cast<unsigned int>(info.output_components));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = picture.At(0, info.output_scanline);
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return picture;
}

struct SMemoryStream
{
    std::vector<std::uint8_t> const* bytes;
    std::size_t position = 0;
};

std::size_t ReadMemory(void* buffer, std::size_t size, std::size_t count, void* source)
{
    auto* stream = static_cast<SMemoryStream*>(source);
    std::size_t const wanted = size * count;
    std::size_t const available = std::min(wanted, stream->bytes->size() - stream->position);
    std::memcpy(buffer, stream->bytes->data() + stream->position, available);
    stream->position += available;
    return size == 0 ? 0 : available / size;
}

} // namespace

TEST(TgaWriter, ColourPicturesAreTopLeftBgrWithoutColourMap)
{
    SPicture const picture = MakeGradient(3, 2, 4);
    std::vector<std::uint8_t> const bytes = CTgaWriter::Write(picture);
    ASSERT_EQ(bytes.size(), 18u + 3u * 2u * 4u);
    CTestByteReader in(bytes);
    EXPECT_EQ(in.U8(), 0u); // id length
    EXPECT_EQ(in.U8(), 0u); // no colour map
    EXPECT_EQ(in.U8(), 2u); // true colour
    in.Seek(12);
    EXPECT_EQ(in.U16(), 3u);
    EXPECT_EQ(in.U16(), 2u);
    EXPECT_EQ(in.U8(), 32u);
    EXPECT_EQ(in.U8(), 0x20u);
    std::uint8_t const* second = picture.At(1, 0);
    EXPECT_EQ(bytes[18 + 4], second[2]);
    EXPECT_EQ(bytes[18 + 4 + 2], second[0]);
    EXPECT_EQ(bytes[18 + 4 + 3], second[3]);
    std::uint8_t const* lower = picture.At(0, 1);
    EXPECT_EQ(bytes[18 + 12], lower[2]); // second row follows the first
}

TEST(TgaWriter, GreyPicturesCarryAGreyColourMap)
{
    std::vector<std::uint8_t> const bytes = CTgaWriter::Write(MakeGradient(4, 4, 1));
    ASSERT_EQ(bytes.size(), 18u + 768u + 16u);
    EXPECT_EQ(bytes[1], 1u);
    EXPECT_EQ(bytes[2], 1u);
    EXPECT_EQ(bytes[5] | (bytes[6] << 8), 256);
    EXPECT_EQ(bytes[7], 24u);
    EXPECT_EQ(bytes[16], 8u);
    EXPECT_EQ(bytes[18 + 3 * 200 + 1], 200u);
    EXPECT_THROW(CTgaWriter::Write(SPicture(2, 2, 2)), std::invalid_argument);
}

TEST(JpegWriter, DecodesToTheSamePicture)
{
    SPicture picture(32, 16, 3);
    for (unsigned int y = 0; y < 16; ++y) {
        for (unsigned int x = 0; x < 32; ++x) {
            std::uint8_t* p = picture.At(x, y);
            p[0] = static_cast<std::uint8_t>(x * 8);
            p[1] = static_cast<std::uint8_t>(y * 16);
            p[2] = 128;
        }
    }
    SPicture const decoded = DecodeJpeg(CJpegWriter::Write(picture, 95));
    ASSERT_EQ(decoded.width, 32u);
    ASSERT_EQ(decoded.height, 16u);
    ASSERT_EQ(decoded.channels, 3u);
    int worst = 0;
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        worst = std::max(worst, std::abs(static_cast<int>(picture.pixels[i]) - decoded.pixels[i]));
    }
    EXPECT_LT(worst, 24);
    // Rows stay top first: the top row is dark green, the bottom row bright.
    EXPECT_LT(decoded.At(0, 0)[1], 40);
    EXPECT_GT(decoded.At(0, 15)[1], 200);

    SPicture const grey = DecodeJpeg(CJpegWriter::Write(MakeGradient(16, 16, 1)));
    EXPECT_EQ(grey.channels, 1u);
    EXPECT_THROW(CJpegWriter::Write(SPicture(4, 4, 4)), std::invalid_argument);
}

TEST(WavWriter, MonoSixteenBitPcm)
{
    std::vector<std::uint8_t> const bytes = CWavWriter::Write({0.0f, 1.0f, -1.0f, 2.0f}, 22050);
    ASSERT_EQ(bytes.size(), 44u + 8u);
    CTestByteReader in(bytes);
    EXPECT_EQ(in.Text(4), "RIFF");
    EXPECT_EQ(in.U32(), 44u);
    EXPECT_EQ(in.Text(8), "WAVEfmt ");
    EXPECT_EQ(in.U32(), 16u);
    EXPECT_EQ(in.U16(), 1u);
    EXPECT_EQ(in.U16(), 1u);
    EXPECT_EQ(in.U32(), 22050u);
    EXPECT_EQ(in.U32(), 44100u);
    EXPECT_EQ(in.U16(), 2u);
    EXPECT_EQ(in.U16(), 16u);
    EXPECT_EQ(in.Text(4), "data");
    EXPECT_EQ(in.U32(), 8u);
    EXPECT_EQ(static_cast<std::int16_t>(in.U16()), 0);
    EXPECT_EQ(static_cast<std::int16_t>(in.U16()), 32767);
    EXPECT_EQ(static_cast<std::int16_t>(in.U16()), -32767);
    EXPECT_EQ(static_cast<std::int16_t>(in.U16()), 32767); // clamped
}

TEST(OggWriter, DecodesAsMonoVorbisOfTheSameLength)
{
    std::vector<float> samples(22050);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.5f * std::sin(static_cast<float>(i) * 2.0f * 3.14159265f * 440.0f / 22050.0f);
    }
    std::vector<std::uint8_t> const bytes = COggWriter::Write(samples, 22050);
    EXPECT_EQ(COggWriter::Write(samples, 22050), bytes); // reproducible
    SMemoryStream stream{&bytes};
    OggVorbis_File file;
    ov_callbacks callbacks{ReadMemory, nullptr, nullptr, nullptr};
    ASSERT_EQ(ov_open_callbacks(&stream, &file, nullptr, 0, callbacks), 0);
    vorbis_info const* info = ov_info(&file, -1);
    EXPECT_EQ(info->channels, 1);
    EXPECT_EQ(info->rate, 22050);
    long decoded = 0;
    float peak = 0.0f;
    for (;;) {
        float** pcm = nullptr;
        int section = 0;
        long const count = ov_read_float(&file, &pcm, 1024, &section);
        if (count <= 0) {
            break;
        }
        for (long i = 0; i < count; ++i) {
            peak = std::max(peak, std::fabs(pcm[0][i]));
        }
        decoded += count;
    }
    ov_clear(&file);
    EXPECT_EQ(decoded, 22050);
    EXPECT_NEAR(peak, 0.5f, 0.1f);
}
