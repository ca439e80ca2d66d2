#pragma once

#include "math/Vector.h"
#include "render/ShaderDescriptor.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content
{

struct SShaderStageRecord
{
    std::uint32_t flags = SSF_TEXTURE;
    std::uint32_t frames = 1;
    float speed = 0.0f;
    std::string image;
    std::string opacity;
    std::uint32_t borderU = SSBT_REPEAT, borderV = SSBT_REPEAT;
    float scaleU = 1.0f, scaleV = 1.0f;
    float offsetU = 0.0f, offsetV = 0.0f;
};

struct SShaderRecord
{
    std::uint32_t properties = 0; // SP_* properties
    CVector4 ambient{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 specular{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 emission{0.0f, 0.0f, 0.0f, 1.0f};
    float shine = 0.0f;
    float shineStrength = 0.0f;
    std::uint32_t blendSource = SBF_ZERO;
    std::uint32_t blendDestination = SBF_ZERO;
    std::vector<SShaderStageRecord> stages; // at most 8

    // An opaque textured descriptor, and one blended through an opacity map.
    static SShaderRecord MakeOpaque(std::string const& image);
    static SShaderRecord MakeBlended(std::string const& image, std::string const& opacity);
};

// Writes TWSRF version 203: header, descriptor count, offsets, records. Throws
// std::invalid_argument for more than eight stages.
class CShaderFileWriter
{
public:
    static constexpr std::uint32_t Version = 203;
    static std::vector<std::uint8_t> Write(std::vector<SShaderRecord> const& descriptors);
};

} // namespace content
