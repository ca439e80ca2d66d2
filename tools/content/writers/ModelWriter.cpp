#include "ModelWriter.h"

#include "ByteWriter.h"

#include <stdexcept>

namespace content
{

std::uint32_t SModelData::GetBufferVertexCount() const
{
    std::uint32_t records = 0;
    for (auto const& set : sets) {
        records += static_cast<std::uint32_t>(set.vertices.size());
    }
    return (flags & ModelFlags::Morph) != 0 && frames != 0 ? records / frames : records;
}

void CModelWriter::Validate(SModelData const& model)
{
    std::uint32_t const kind = model.flags & (ModelFlags::Static | ModelFlags::Morph | ModelFlags::Skeletal);
    if (kind != ModelFlags::Static && kind != ModelFlags::Morph && kind != ModelFlags::Skeletal) {
        throw std::invalid_argument("a model sets exactly one of the static, morph and skeletal bits");
    }
    bool const animated = kind != ModelFlags::Static;
    if (animated && model.frames == 0) {
        throw std::invalid_argument("an animated model needs at least one frame");
    }
    if (kind == ModelFlags::Skeletal) {
        if (model.keys.size() != static_cast<std::size_t>(model.frames) * model.bones.size()) {
            throw std::invalid_argument("keyframes must be frames × bones records");
        }
        for (std::size_t b = 0; b < model.bones.size(); ++b) {
            if (model.bones[b].lastDescendant < b || model.bones[b].lastDescendant >= model.bones.size()) {
                throw std::invalid_argument("last descendant outside the bone range");
            }
        }
    } else if (!model.bones.empty() || !model.keys.empty()) {
        throw std::invalid_argument("only skeletal models carry bones");
    }
    for (auto const& set : model.sets) {
        if (kind == ModelFlags::Morph && set.vertices.size() % model.frames != 0) {
            throw std::invalid_argument("morph sets hold frames × vertices records");
        }
        if ((model.flags & ModelFlags::TriangleLists) != 0 && set.indices.size() % 3 != 0) {
            throw std::invalid_argument("triangle list index count is not a multiple of 3");
        }
        for (auto const& vertex : set.vertices) {
            if (kind != ModelFlags::Skeletal && !vertex.influences.empty()) {
                throw std::invalid_argument("influences on a model without skeleton");
            }
            if (vertex.influences.size() > 0xFFFF) {
                throw std::invalid_argument("too many influences");
            }
            for (auto const& influence : vertex.influences) {
                if (influence.bone >= model.bones.size()) {
                    throw std::invalid_argument("influence names a missing bone");
                }
            }
        }
    }
    std::uint32_t const bufferSize = model.GetBufferVertexCount();
    for (auto const& set : model.sets) {
        for (std::uint32_t index : set.indices) {
            if (index >= bufferSize) {
                throw std::invalid_argument("index outside the vertex buffer");
            }
        }
    }
}

std::vector<std::uint8_t> CModelWriter::Write(SModelData const& model)
{
    Validate(model);
    bool const skeletal = (model.flags & ModelFlags::Skeletal) != 0;
    CByteWriter out;
    out.WriteHeader("TWMLF", Version);
    out.WriteU32(model.flags);
    if ((model.flags & (ModelFlags::Morph | ModelFlags::Skeletal)) != 0) {
        out.WriteU32(model.frames);
        out.WriteFloat(model.speed);
    }
    if (skeletal) {
        out.WriteU32(static_cast<std::uint32_t>(model.bones.size()));
        for (auto const& bone : model.bones) {
            out.WriteU8(bone.flag);
            out.WriteBinaryString(bone.name);
            out.WriteVector3(bone.boxMin);
            out.WriteVector3(bone.boxMax);
            out.WriteU32(bone.value);
            out.WriteU32(bone.lastDescendant);
        }
        for (auto const& key : model.keys) {
            out.WriteVector3(key.position);
            out.WriteQuaternion(key.rotation);
            out.WriteVector3(key.scale);
        }
    }
    std::uint32_t records = 0;
    for (auto const& set : model.sets) {
        records += static_cast<std::uint32_t>(set.vertices.size());
    }
    out.WriteU32(records);
    out.WriteU32(static_cast<std::uint32_t>(model.sets.size()));
    for (auto const& set : model.sets) {
        out.WriteU32(static_cast<std::uint32_t>(set.indices.size()));
        out.WriteU32(static_cast<std::uint32_t>(set.vertices.size()));
        for (std::uint32_t index : set.indices) {
            out.WriteU32(index);
        }
        for (auto const& vertex : set.vertices) {
            out.WriteFloat(vertex.u);
            out.WriteFloat(vertex.v);
            out.WriteVector3(vertex.normal);
            out.WriteVector3(vertex.position);
            out.WriteU32(skeletal ? static_cast<std::uint32_t>(vertex.influences.size()) : 0u);
            if (skeletal) {
                for (auto const& influence : vertex.influences) {
                    out.WriteU32(influence.bone);
                    out.WriteFloat(influence.weight);
                    out.WriteVector3(influence.normal);
                    out.WriteVector3(influence.position);
                }
            }
        }
        out.WriteBinaryString(set.material);
        out.WriteU32(set.shader);
    }
    out.WriteBinaryString(model.octreeName);
    out.FinishHeader();
    return out.TakeBytes();
}

} // namespace content
