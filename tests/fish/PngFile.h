#pragma once

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include <zlib.h>

// Writes 8-bit RGB pixels (top row first) as a PNG file.
inline bool WritePngFile(std::string const& path, unsigned int width, unsigned int height,
                         std::vector<std::uint8_t> const& rgb)
{
    auto crc = [](std::uint8_t const* data, std::size_t size, std::uint32_t value) {
        for (std::size_t i = 0; i < size; ++i) {
            value ^= data[i];
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
        }
        return value;
    };
    auto put32 = [](std::vector<std::uint8_t>& out, std::uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out.push_back(static_cast<std::uint8_t>(value >> shift));
    };
    std::vector<std::uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    auto chunk = [&](char const* type, std::vector<std::uint8_t> const& data) {
        put32(file, static_cast<std::uint32_t>(data.size()));
        std::vector<std::uint8_t> body(type, type + 4);
        body.insert(body.end(), data.begin(), data.end());
        file.insert(file.end(), body.begin(), body.end());
        put32(file, crc(body.data(), body.size(), 0xFFFFFFFFu) ^ 0xFFFFFFFFu);
    };
    std::vector<std::uint8_t> header;
    put32(header, width);
    put32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, 0});
    chunk("IHDR", header);

    std::vector<std::uint8_t> raw;
    for (unsigned int y = 0; y < height; ++y) {
        raw.push_back(0);
        raw.insert(raw.end(), rgb.begin() + std::size_t(y) * width * 3,
                   rgb.begin() + std::size_t(y + 1) * width * 3);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<std::uint8_t> zlib(packedSize);
    if (compress2(zlib.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9) != Z_OK)
        return false;
    zlib.resize(packedSize);
    chunk("IDAT", zlib);
    chunk("IEND", {});
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<char const*>(file.data()), static_cast<std::streamsize>(file.size()));
    return static_cast<bool>(out);
}
