#pragma once

// Builds shader files byte by byte, in any of the versions the reader accepts.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace shaderfile
{
using Bytes = std::vector<std::uint8_t>;

struct SStage
{
    std::uint32_t flags = 1;
    std::uint32_t frames = 1;
    float speed = 0.0f;
    std::string image = "a.tga";
    std::string opacity;
    std::uint32_t borderU = 1;
    std::uint32_t borderV = 1;
    float scaleU = 1.0f;
    float scaleV = 1.0f;
    float offsetU = 0.0f;
    float offsetV = 0.0f;
};

struct SRecord
{
    std::uint32_t properties = 0;
    float colours[16] = {0.1f, 0.2f, 0.3f,  0.4f, 0.5f, 0.6f,   0.7f, 0.8f,
                         0.9f, 1.0f, 0.25f, 0.5f, 0.0f, 0.125f, 0.0f, 1.0f};
    float shine = 8.0f;
    float shineStrength = 0.5f;
    std::uint32_t source = 4;
    std::uint32_t destination = 5;
    std::vector<SStage> stages;
};

inline void PutUnsigned(Bytes& bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

inline void PutFloat(Bytes& bytes, float value)
{
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    PutUnsigned(bytes, bits);
}

inline void PutString(Bytes& bytes, std::string const& text)
{
    bytes.push_back(static_cast<std::uint8_t>(text.size() + 1));
    bytes.insert(bytes.end(), text.begin(), text.end());
    bytes.push_back(0);
}

inline Bytes Record(std::uint32_t version, SRecord const& record)
{
    Bytes bytes;
    PutUnsigned(bytes, record.properties);
    if (version <= 201)
        bytes.insert(bytes.end(), 16, 0xEE);
    for (float colour : record.colours)
        PutFloat(bytes, colour);
    PutFloat(bytes, record.shine);
    PutFloat(bytes, record.shineStrength);
    PutUnsigned(bytes, record.source);
    PutUnsigned(bytes, record.destination);
    PutUnsigned(bytes, static_cast<std::uint32_t>(record.stages.size()));
    for (SStage const& stage : record.stages) {
        PutUnsigned(bytes, stage.flags);
        PutUnsigned(bytes, stage.frames);
        PutFloat(bytes, stage.speed);
        PutString(bytes, stage.image);
        PutString(bytes, stage.opacity);
        PutUnsigned(bytes, stage.borderU);
        if (version >= 203)
            PutUnsigned(bytes, stage.borderV);
        if (version == 201)
            PutFloat(bytes, stage.scaleU);
        if (version >= 202) {
            PutFloat(bytes, stage.scaleU);
            PutFloat(bytes, stage.scaleV);
            PutFloat(bytes, stage.offsetU);
            PutFloat(bytes, stage.offsetV);
        }
    }
    return bytes;
}

// Header, count, offsets and the records; the stored size is the real one.
inline Bytes File(std::uint32_t version, std::vector<SRecord> const& records)
{
    Bytes bytes;
    PutUnsigned(bytes, 0);
    for (char c : std::string("TWSRF"))
        bytes.push_back(static_cast<std::uint8_t>(c));
    PutUnsigned(bytes, version);
    PutUnsigned(bytes, static_cast<std::uint32_t>(records.size()));
    std::size_t const offsets = bytes.size();
    bytes.resize(bytes.size() + 4 * records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::uint32_t const offset = static_cast<std::uint32_t>(bytes.size());
        for (int b = 0; b < 4; ++b)
            bytes[offsets + 4 * i + b] = static_cast<std::uint8_t>(offset >> (8 * b));
        Bytes const record = Record(version, records[i]);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    std::uint32_t const size = static_cast<std::uint32_t>(bytes.size());
    for (int b = 0; b < 4; ++b)
        bytes[b] = static_cast<std::uint8_t>(size >> (8 * b));
    return bytes;
}

inline void SetUnsigned(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    if (at + 4 > bytes.size())
        return;
    std::uint8_t const stored[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                    static_cast<std::uint8_t>(value >> 16),
                                    static_cast<std::uint8_t>(value >> 24)};
    std::memcpy(bytes.data() + at, stored, 4);
}

// Keeps the stored size equal to the file's size after an edit.
inline void FixSize(Bytes& bytes)
{
    SetUnsigned(bytes, 0, static_cast<std::uint32_t>(bytes.size()));
}
} // namespace shaderfile
