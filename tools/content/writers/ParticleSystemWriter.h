#pragma once

#include "math/Vector.h"

#include <array>
#include <cstdint>
#include <vector>

namespace content
{

// The six-key particle system settings, in file order (340 bytes).
struct SParticleSystemSettingsRecord
{
    float period = 1.0f;
    std::array<float, 6> rate{10, 10, 10, 10, 10, 10};
    std::array<float, 6> lifetime{};
    std::array<CVector3, 6> direction{};
    std::array<CVector3, 6> spread{CVector3(1.0f), CVector3(1.0f), CVector3(1.0f),
                                   CVector3(1.0f), CVector3(1.0f), CVector3(1.0f)};
    std::array<CVector4, 6> colour{CVector4(1, 1, 1, 1), CVector4(1, 1, 1, 1), CVector4(1, 1, 1, 1),
                                   CVector4(1, 1, 1, 1), CVector4(1, 1, 1, 1), CVector4(1, 1, 1, 1)};
    std::array<float, 6> size{1, 1, 1, 1, 1, 1};
    std::array<float, 6> speed{1, 1, 1, 1, 1, 1};
};

// Writes TWPSF version 200: the 13-byte header and the settings, 353 bytes.
class CParticleSystemWriter
{
public:
    static constexpr std::uint32_t Version = 200;
    static constexpr std::size_t FileSize = 353;
    static std::vector<std::uint8_t> Write(SParticleSystemSettingsRecord const& settings);
};

} // namespace content
