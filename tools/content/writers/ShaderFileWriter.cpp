#include "ShaderFileWriter.h"

#include "ByteWriter.h"

#include <stdexcept>

namespace content
{

SShaderRecord SShaderRecord::MakeOpaque(std::string const& image)
{
    SShaderRecord record;
    SShaderStageRecord stage;
    stage.flags = SSF_TEXTURE | SSF_MIP_MAPPING;
    stage.image = image;
    record.stages.push_back(stage);
    return record;
}

SShaderRecord SShaderRecord::MakeBlended(std::string const& image, std::string const& opacity)
{
    SShaderRecord record;
    record.properties = SP_BLENDING;
    record.blendSource = SBF_SRC_ALPHA;
    record.blendDestination = SBF_INV_SRC_ALPHA;
    SShaderStageRecord stage;
    stage.flags = SSF_TEXTURE | SSF_OPACITY_MAP | SSF_MIP_MAPPING;
    stage.image = image;
    stage.opacity = opacity;
    record.stages.push_back(stage);
    return record;
}

std::vector<std::uint8_t> CShaderFileWriter::Write(std::vector<SShaderRecord> const& descriptors)
{
    CByteWriter out;
    out.WriteHeader("TWSRF", Version);
    out.WriteU32(static_cast<std::uint32_t>(descriptors.size()));
    std::size_t const offsetsAt = out.GetSize();
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        out.WriteU32(0);
    }
    for (std::size_t i = 0; i < descriptors.size(); ++i) {
        SShaderRecord const& record = descriptors[i];
        if (record.stages.size() > 8) {
            throw std::invalid_argument("a shader descriptor holds at most eight stages");
        }
        out.PatchU32(offsetsAt + 4 * i, static_cast<std::uint32_t>(out.GetSize()));
        out.WriteU32(record.properties);
        out.WriteVector4(record.ambient);
        out.WriteVector4(record.diffuse);
        out.WriteVector4(record.specular);
        out.WriteVector4(record.emission);
        out.WriteFloat(record.shine);
        out.WriteFloat(record.shineStrength);
        out.WriteU32(record.blendSource);
        out.WriteU32(record.blendDestination);
        out.WriteU32(static_cast<std::uint32_t>(record.stages.size()));
        for (auto const& stage : record.stages) {
            out.WriteU32(stage.flags);
            out.WriteU32(stage.frames);
            out.WriteFloat(stage.speed);
            out.WriteBinaryString(stage.image);
            out.WriteBinaryString(stage.opacity);
            out.WriteU32(stage.borderU);
            out.WriteU32(stage.borderV);
            out.WriteFloat(stage.scaleU);
            out.WriteFloat(stage.scaleV);
            out.WriteFloat(stage.offsetU);
            out.WriteFloat(stage.offsetV);
        }
    }
    out.FinishHeader();
    return out.TakeBytes();
}

} // namespace content
