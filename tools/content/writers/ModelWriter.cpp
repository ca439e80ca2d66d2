#include "ModelWriter.h"

#include <stdexcept>

namespace content
{

std::uint32_t SModelData::GetBufferVertexCount() const
{
    std::uint32_t records = 0;
    for (auto const& set : sets) {
        records += static_cast<std::uint32_t>(set.vertices.size());
    }
    return (flags & MP_MORPH) != 0 && frames != 0 ? records / frames : records;
}

namespace
{
void CheckName(std::string const& name)
{
    if (name.size() > CModelWriter::MaxNameLength) {
        throw std::length_error("name longer than the model format holds: " + name);
    }
}
} // namespace

void CModelWriter::Validate(SModelData const& model)
{
    CheckName(model.octreeName);
    for (auto const& bone : model.bones) {
        CheckName(bone.name);
    }
    std::uint32_t const kind = model.flags & (MP_STATIC | MP_MORPH | MP_SKELETAL);
    if (kind != MP_STATIC && kind != MP_MORPH && kind != MP_SKELETAL) {
        throw std::invalid_argument("a model sets exactly one of the static, morph and skeletal bits");
    }
    bool const animated = kind != MP_STATIC;
    if (animated && model.frames == 0) {
        throw std::invalid_argument("an animated model needs at least one frame");
    }
    if (kind == MP_SKELETAL) {
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
        CheckName(set.material);
        if (kind == MP_MORPH && set.vertices.size() % model.frames != 0) {
            throw std::invalid_argument("morph sets hold frames × vertices records");
        }
        if ((model.flags & MP_TRIANGLE_LISTS) != 0 && set.indices.size() % 3 != 0) {
            throw std::invalid_argument("triangle list index count is not a multiple of 3");
        }
        for (auto const& vertex : set.vertices) {
            if (kind != MP_SKELETAL && !vertex.influences.empty()) {
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
    return WriteModelFileImage(ToModelFile(model));
}

SModelFile CModelWriter::ToModelFile(SModelData const& model)
{
    bool const skeletal = (model.flags & MP_SKELETAL) != 0;
    SModelFile file;
    file.properties = model.flags;
    file.framesCount = model.frames;
    file.speed = model.speed;
    for (auto const& bone : model.bones) {
        file.bones.push_back(
            {bone.flag, bone.name, bone.boxMin, bone.boxMax, bone.value, bone.lastDescendant});
    }
    for (auto const& key : model.keys) {
        file.keyframes.push_back({key.position, key.rotation, key.scale});
    }
    for (auto const& set : model.sets) {
        SModelFileTriangleSet& fileSet = file.triangleSets.emplace_back();
        fileSet.indices = set.indices;
        fileSet.material = set.material;
        fileSet.shaderNumber = set.shader;
        for (auto const& vertex : set.vertices) {
            auto const influences = skeletal ? static_cast<std::uint32_t>(vertex.influences.size()) : 0u;
            fileSet.vertices.push_back({vertex.u, vertex.v, vertex.normal, vertex.position, influences});
            for (auto const& influence : vertex.influences) {
                fileSet.influences.push_back(
                    {influence.bone, influence.weight, influence.normal, influence.position});
            }
        }
        file.verticesCount += static_cast<std::uint32_t>(set.vertices.size());
    }
    file.octreeName = model.octreeName;
    return file;
}

} // namespace content
