#include "render/AviWriter.h"

#include <cstring>

namespace
{
// RIFF sizes are 32-bit; the file stops taking frames a little before that.
constexpr std::uint64_t MaximumFileSize = 0xFFF00000ull;

constexpr std::uint32_t AvifHasIndex = 0x10;
constexpr std::uint32_t AviifKeyFrame = 0x10;

// Offsets of the fields patched by Finish.
constexpr long RiffSizeOffset = 4;
constexpr long TotalFramesOffset = 48;
constexpr long AvihBufferOffset = 60;
constexpr long StrhLengthOffset = 140;
constexpr long StrhBufferOffset = 144;
constexpr long MoviSizeOffset = 216;
constexpr long MoviFourccOffset = 220;

class CByteWriter
{
public:
    void Fourcc(char const* code) { m_bytes.insert(m_bytes.end(), code, code + 4); }
    void U32(std::uint32_t value)
    {
        for (int i = 0; i < 4; ++i)
            m_bytes.push_back(static_cast<unsigned char>(value >> (8 * i)));
    }
    void U16(std::uint16_t value)
    {
        m_bytes.push_back(static_cast<unsigned char>(value));
        m_bytes.push_back(static_cast<unsigned char>(value >> 8));
    }
    std::vector<unsigned char> const& Bytes() const { return m_bytes; }

private:
    std::vector<unsigned char> m_bytes;
};

bool WriteU32At(std::FILE* file, long offset, std::uint32_t value)
{
    unsigned char bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, file) == 4;
}
} // namespace

CAviWriter::~CAviWriter()
{
    Close();
}

bool CAviWriter::Open(char const* path, unsigned int width, unsigned int height, unsigned int framesPerSecond,
                      EAviCodec codec)
{
    Close();
    if (width == 0 || height == 0 || width > 0x7FFF || height > 0x7FFF || framesPerSecond == 0)
        return false;
    if (!m_output.Open(path, nullptr))
        return false;
    m_file = m_output.GetStream();
    m_failed = false;
    m_width = width;
    m_height = height;
    m_framesPerSecond = framesPerSecond;
    m_codec = codec;
    m_largestFrame = 0;
    m_index.clear();
    WriteHeaders();
    return !m_failed;
}

void CAviWriter::WriteHeaders()
{
    bool const jpeg = m_codec == AVI_CODEC_MOTION_JPEG;
    std::uint32_t const imageSize = static_cast<std::uint32_t>(GetUncompressedFrameSize());
    CByteWriter out;
    out.Fourcc("RIFF");
    out.U32(0); // patched
    out.Fourcc("AVI ");

    out.Fourcc("LIST");
    out.U32(4 + (8 + 56) + (8 + 4 + (8 + 56) + (8 + 40)));
    out.Fourcc("hdrl");
    out.Fourcc("avih");
    out.U32(56);
    out.U32(1000000 / m_framesPerSecond);
    out.U32(imageSize * m_framesPerSecond);
    out.U32(0);
    out.U32(AvifHasIndex);
    out.U32(0); // total frames, patched
    out.U32(0);
    out.U32(1);
    out.U32(imageSize); // suggested buffer, patched
    out.U32(m_width);
    out.U32(m_height);
    for (int i = 0; i < 4; ++i)
        out.U32(0);

    out.Fourcc("LIST");
    out.U32(4 + (8 + 56) + (8 + 40));
    out.Fourcc("strl");
    out.Fourcc("strh");
    out.U32(56);
    out.Fourcc("vids");
    out.Fourcc(jpeg ? "MJPG" : "DIB ");
    out.U32(0); // flags
    out.U16(0); // priority
    out.U16(0); // language
    out.U32(0); // initial frames
    out.U32(1); // scale
    out.U32(m_framesPerSecond);
    out.U32(0);         // start
    out.U32(0);         // length, patched
    out.U32(imageSize); // suggested buffer, patched
    out.U32(0xFFFFFFFFu);
    out.U32(jpeg ? 0 : imageSize);
    out.U16(0);
    out.U16(0);
    out.U16(static_cast<std::uint16_t>(m_width));
    out.U16(static_cast<std::uint16_t>(m_height));

    out.Fourcc("strf");
    out.U32(40);
    out.U32(40);
    out.U32(m_width);
    out.U32(m_height); // bottom row first
    out.U16(1);
    out.U16(jpeg ? 24 : 32);
    if (jpeg)
        out.Fourcc("MJPG");
    else
        out.U32(0);
    out.U32(jpeg ? m_width * m_height * 3 : imageSize);
    for (int i = 0; i < 4; ++i)
        out.U32(0);

    out.Fourcc("LIST");
    out.U32(0); // patched
    out.Fourcc("movi");

    std::vector<unsigned char> const& bytes = out.Bytes();
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        m_failed = true;
    m_moviStart = MoviFourccOffset;
}

bool CAviWriter::WriteFrame(void const* data, std::size_t size)
{
    if (!m_file || m_failed)
        return false;
    long const position = std::ftell(m_file);
    std::uint64_t const padded = size + (size & 1);
    if (position < 0 ||
        std::uint64_t(position) + 8 + padded + 16ull * (m_index.size() + 1) + 8 > MaximumFileSize) {
        m_failed = true;
        return false;
    }
    unsigned char header[8];
    std::memcpy(header, m_codec == AVI_CODEC_MOTION_JPEG ? "00dc" : "00db", 4);
    for (int i = 0; i < 4; ++i)
        header[4 + i] = static_cast<unsigned char>(size >> (8 * i));
    static unsigned char const pad = 0;
    if (std::fwrite(header, 1, 8, m_file) != 8 || std::fwrite(data, 1, size, m_file) != size ||
        ((size & 1) && std::fwrite(&pad, 1, 1, m_file) != 1)) {
        m_failed = true;
        return false;
    }
    m_index.push_back({static_cast<std::uint32_t>(std::uint64_t(position) - m_moviStart),
                       static_cast<std::uint32_t>(size)});
    if (size > m_largestFrame)
        m_largestFrame = static_cast<std::uint32_t>(size);
    return true;
}

bool CAviWriter::Finish()
{
    long const moviEnd = std::ftell(m_file);
    if (moviEnd < 0)
        return false;
    CByteWriter index;
    index.Fourcc("idx1");
    index.U32(static_cast<std::uint32_t>(16 * m_index.size()));
    for (SIndexEntry const& entry : m_index) {
        index.Fourcc(m_codec == AVI_CODEC_MOTION_JPEG ? "00dc" : "00db");
        index.U32(AviifKeyFrame);
        index.U32(entry.offset);
        index.U32(entry.size);
    }
    std::vector<unsigned char> const& bytes = index.Bytes();
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size())
        return false;
    long const end = std::ftell(m_file);
    if (end < 0)
        return false;
    auto const frames = static_cast<std::uint32_t>(m_index.size());
    std::uint32_t const buffer = m_largestFrame ? m_largestFrame : std::uint32_t(GetUncompressedFrameSize());
    return WriteU32At(m_file, RiffSizeOffset, std::uint32_t(end - 8)) &&
           WriteU32At(m_file, TotalFramesOffset, frames) && WriteU32At(m_file, AvihBufferOffset, buffer) &&
           WriteU32At(m_file, StrhLengthOffset, frames) && WriteU32At(m_file, StrhBufferOffset, buffer) &&
           WriteU32At(m_file, MoviSizeOffset, std::uint32_t(moviEnd - MoviSizeOffset - 4));
}

bool CAviWriter::Close()
{
    if (!m_file)
        return false;
    bool const finished = Finish() && !m_failed;
    m_file = nullptr;
    if (!finished) {
        m_output.Abandon();
        return false;
    }
    return m_output.Commit(nullptr);
}
