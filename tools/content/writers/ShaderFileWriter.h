#pragma once

#include "math/Vector.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content
{

// Stage flags and blending factors as the shader manager reads them.
namespace StageFlags
{
constexpr std::uint32_t Texture = 0x001;
constexpr std::uint32_t OpacityMap = 0x002;
constexpr std::uint32_t MipMapping = 0x004;
constexpr std::uint32_t AnimatedTexture = 0x010;
constexpr std::uint32_t AnimatedOpacity = 0x020;
constexpr std::uint32_t RandomStart = 0x040;
} // namespace StageFlags

namespace BlendFactor
{
constexpr std::uint32_t Zero = 0;
constexpr std::uint32_t One = 1;
constexpr std::uint32_t SrcAlpha = 4;
constexpr std::uint32_t InvSrcAlpha = 5;
} // namespace BlendFactor

struct SShaderStageRecord
{
    std::uint32_t flags = StageFlags::Texture;
    std::uint32_t frames = 1;
    float speed = 0.0f;
    std::string image;
    std::string opacity;
    std::uint32_t borderU = 1, borderV = 1; // 0 clamp, 1 repeat
    float scaleU = 1.0f, scaleV = 1.0f;
    float offsetU = 0.0f, offsetV = 0.0f;
};

struct SShaderRecord
{
    std::uint32_t properties = 0; // bit 0: alpha blending
    CVector4 ambient{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 specular{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 emission{0.0f, 0.0f, 0.0f, 1.0f};
    float shine = 0.0f;
    float shineStrength = 0.0f;
    std::uint32_t blendSource = BlendFactor::Zero;
    std::uint32_t blendDestination = BlendFactor::Zero;
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
