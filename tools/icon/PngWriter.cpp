#include "PngWriter.h"

#include <zlib.h>

#include <cstdio>

namespace
{
constexpr std::uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint8_t BitDepth = 8;
constexpr std::uint8_t ColourTypeRgba = 6;
constexpr std::uint8_t NoFilter = 0;
constexpr unsigned int BytesPerPixel = 4;

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& out, char const* type, std::vector<std::uint8_t> const& data)
{
    PutU32(out, static_cast<std::uint32_t>(data.size()));
    std::size_t const start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    uLong const crc = crc32(0L, out.data() + start, static_cast<uInt>(out.size() - start));
    PutU32(out, static_cast<std::uint32_t>(crc));
}
} // namespace

bool WritePng(std::string const& path, unsigned int width, unsigned int height,
              std::vector<std::uint8_t> const& rgba)
{
    if (rgba.size() != std::size_t(width) * height * BytesPerPixel)
        return false;
    std::vector<std::uint8_t> header;
    PutU32(header, width);
    PutU32(header, height);
    header.insert(header.end(), {BitDepth, ColourTypeRgba, 0, 0, 0});

    std::vector<std::uint8_t> rows;
    std::size_t const stride = std::size_t(width) * BytesPerPixel;
    for (unsigned int y = 0; y < height; ++y) {
        rows.push_back(NoFilter);
        rows.insert(rows.end(), rgba.begin() + static_cast<std::ptrdiff_t>(y * stride),
                    rgba.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride));
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<std::uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()),
                  Z_BEST_COMPRESSION) != Z_OK)
        return false;
    packed.resize(packedSize);

    std::vector<std::uint8_t> file(std::begin(Signature), std::end(Signature));
    PutChunk(file, "IHDR", header);
    PutChunk(file, "IDAT", packed);
    PutChunk(file, "IEND", {});
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out)
        return false;
    bool const written = std::fwrite(file.data(), 1, file.size(), out) == file.size();
    return std::fclose(out) == 0 && written;
}
