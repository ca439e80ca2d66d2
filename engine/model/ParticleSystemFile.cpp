#include "model/ParticleSystemFile.h"

#include <cmath>
#include <cstring>

#include "core/File.h"

namespace
{
constexpr char Magic[5] = {'T', 'W', 'P', 'S', 'F'};

std::uint32_t GetUint32(unsigned char const* bytes)
{
    return std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 | std::uint32_t(bytes[2]) << 16 |
           std::uint32_t(bytes[3]) << 24;
}

void PutUint32(std::uint32_t value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The settings as the flat list of floats the file holds, in file order.
template <typename Settings, typename Visit> void ForEachFloat(Settings& settings, Visit visit)
{
    visit(settings.animationPeriod);
    for (auto& value : settings.emissionRate)
        visit(value);
    for (auto& value : settings.lifetime)
        visit(value);
    for (auto& value : settings.direction) {
        visit(value.x);
        visit(value.y);
        visit(value.z);
    }
    for (auto& value : settings.directionSpread) {
        visit(value.x);
        visit(value.y);
        visit(value.z);
    }
    for (auto& value : settings.color) {
        visit(value.x);
        visit(value.y);
        visit(value.z);
        visit(value.w);
    }
    for (auto& value : settings.size)
        visit(value);
    for (auto& value : settings.speed)
        visit(value);
}
} // namespace

SParticleKeyPosition SParticleKeyPosition::At(float u)
{
    constexpr float Last = float(ParticleKeysCount - 1);
    if (!(u > 0.0f))
        u = 0.0f;
    else if (u > Last)
        u = Last;
    SParticleKeyPosition position;
    position.key = static_cast<unsigned int>(u);
    position.next = position.key + 1 == ParticleKeysCount ? 0 : position.key + 1;
    position.weight = u - float(position.key);
    return position;
}

namespace ParticleSystemFile
{
EParticleSystemFileResult Read(CFile& file, ParticleSystemSettings* settings)
{
    unsigned char header[HeaderSize];
    file.Read(header, HeaderSize);
    if (std::memcmp(header + 4, Magic, sizeof(Magic)) != 0 || GetUint32(header) != file.GetSize())
        return EParticleSystemFileResult::WrongFormat;
    if (GetUint32(header + 9) != Version)
        return EParticleSystemFileResult::WrongVersion;
    unsigned char bytes[SettingsSize];
    file.Read(bytes, SettingsSize);
    Decode(bytes, settings);
    return EParticleSystemFileResult::Ok;
}

void Write(CFile& file, ParticleSystemSettings const& settings)
{
    unsigned char bytes[FileSize];
    PutUint32(FileSize, bytes);
    std::memcpy(bytes + 4, Magic, sizeof(Magic));
    PutUint32(Version, bytes + 9);
    Encode(settings, bytes + HeaderSize);
    file.Write(bytes, FileSize);
}

void Decode(unsigned char const* bytes, ParticleSystemSettings* settings)
{
    ForEachFloat(*settings, [&bytes](float& value) {
        std::uint32_t const bits = GetUint32(bytes);
        std::memcpy(&value, &bits, 4);
        bytes += 4;
    });
}

void Encode(ParticleSystemSettings const& settings, unsigned char* bytes)
{
    ForEachFloat(settings, [&bytes](float const& value) {
        std::uint32_t bits;
        std::memcpy(&bits, &value, 4);
        PutUint32(bits, bytes);
        bytes += 4;
    });
}

unsigned int GetCapacity(ParticleSystemSettings const& settings)
{
    double total = 0.0;
    for (unsigned int k = 0; k < ParticleKeysCount; ++k) {
        float const product = settings.emissionRate[k] * settings.lifetime[k];
        double const term = std::trunc(double(product));
        if (!(term > 0.0))
            continue;
        total += term;
    }
    return !(total < double(MaximumCapacity)) ? MaximumCapacity : static_cast<unsigned int>(total);
}
} // namespace ParticleSystemFile
