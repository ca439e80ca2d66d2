#pragma once

#include <cstdint>

#include "math/Vector.h"

class CFile;

// Six evenly spaced keys: key k stands at k/5 of the animation period or of a particle's life.
constexpr unsigned int ParticleKeysCount = 6;

// How a particle system behaves; stored as is (85 little-endian floats) in its file.
struct ParticleSystemSettings
{
    float animationPeriod = 1.0f;
    // Keyed by the system's animation time.
    float emissionRate[ParticleKeysCount] = {0, 0, 0, 0, 0, 0};
    float lifetime[ParticleKeysCount] = {0, 0, 0, 0, 0, 0};
    // Keyed by the particle's age.
    CVector3 direction[ParticleKeysCount] = {{0, 0, 0}, {0, 0, 0}, {0, 0, 0},
                                             {0, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    CVector3 directionSpread[ParticleKeysCount] = {{1, 1, 1}, {1, 1, 1}, {1, 1, 1},
                                                   {1, 1, 1}, {1, 1, 1}, {1, 1, 1}};
    CVector4 color[ParticleKeysCount] = {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1},
                                         {1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 1}};
    float size[ParticleKeysCount] = {1, 1, 1, 1, 1, 1};
    float speed[ParticleKeysCount] = {1, 1, 1, 1, 1, 1};
};

// Where a position between keys falls: u in [0, 5] gives key k, the next key k' (6 wraps
// to 0) and the weight t of k'. Values outside, and NaN, are brought to the nearest end.
struct SParticleKeyPosition
{
    unsigned int key = 0;
    unsigned int next = 1;
    float weight = 0.0f;

    static SParticleKeyPosition At(float u);
    float Blend(float const* keys) const { return keys[key] * (1.0f - weight) + keys[next] * weight; }
    CVector3 Blend(CVector3 const* keys) const { return keys[key] * (1.0f - weight) + keys[next] * weight; }
    CVector4 Blend(CVector4 const* keys) const { return keys[key] * (1.0f - weight) + keys[next] * weight; }
};

enum class EParticleSystemFileResult
{
    Ok,
    WrongFormat, // magic or size field
    WrongVersion,
};

// The particle system file: size of the whole file, "TWPSF", version 200, the settings.
namespace ParticleSystemFile
{
constexpr std::uint32_t Version = 200;
constexpr unsigned int HeaderSize = 13;
constexpr unsigned int SettingsSize = 340;
constexpr unsigned int FileSize = HeaderSize + SettingsSize;
// A file asks for at most this many particles.
constexpr unsigned int MaximumCapacity = 16384;

// Reads header and settings from the file's start. Short files throw CFileError.
EParticleSystemFileResult Read(CFile& file, ParticleSystemSettings* settings);
void Write(CFile& file, ParticleSystemSettings const& settings);

void Decode(unsigned char const* bytes, ParticleSystemSettings* settings);
void Encode(ParticleSystemSettings const& settings, unsigned char* bytes);

// The sum over the keys of trunc(rate × lifetime); negative or non-finite terms count 0
// and the sum stops at MaximumCapacity.
unsigned int GetCapacity(ParticleSystemSettings const& settings);
} // namespace ParticleSystemFile
