#pragma once

#include "ByteReader.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Reads a TWMLF file in the field order the model loader uses.
struct SReadInfluence
{
    std::uint32_t bone;
    float weight;
    std::array<float, 3> normal, position;
};

struct SReadVertex
{
    float u, v;
    std::array<float, 3> normal, position;
    std::vector<SReadInfluence> influences;
};

struct SReadSet
{
    std::vector<std::uint32_t> indices;
    std::vector<SReadVertex> vertices;
    std::string material;
    std::uint32_t shader;
};

struct SReadBone
{
    std::uint8_t flag;
    std::string name;
    std::array<float, 3> min, max;
    std::uint32_t value, lastDescendant;
};

struct SReadModel
{
    std::uint32_t version, flags, frames = 1, vertexCount;
    float speed = 0;
    std::vector<SReadBone> bones;
    std::vector<std::array<float, 10>> keys;
    std::vector<SReadSet> sets;
    std::string octreeName;
};

inline SReadModel ReadModel(std::vector<std::uint8_t> const& bytes)
{
    CTestByteReader in(bytes);
    SReadModel model;
    model.version = in.Header("TWMLF");
    model.flags = in.U32();
    if (model.flags & 0x6) {
        model.frames = in.U32();
        model.speed = in.F32();
    }
    auto vector3 = [&in]() { return std::array<float, 3>{in.F32(), in.F32(), in.F32()}; };
    if (model.flags & 0x4) {
        std::uint32_t const bones = in.U32();
        for (std::uint32_t b = 0; b < bones; ++b) {
            SReadBone bone;
            bone.flag = in.U8();
            bone.name = in.BinaryString();
            bone.min = vector3();
            bone.max = vector3();
            bone.value = in.U32();
            bone.lastDescendant = in.U32();
            model.bones.push_back(bone);
        }
        for (std::uint32_t k = 0; k < model.frames * bones; ++k) {
            std::array<float, 10> key;
            for (float& value : key) {
                value = in.F32();
            }
            model.keys.push_back(key);
        }
    }
    model.vertexCount = in.U32();
    std::uint32_t const sets = in.U32();
    for (std::uint32_t s = 0; s < sets; ++s) {
        SReadSet set;
        std::uint32_t const indices = in.U32();
        std::uint32_t const vertices = in.U32();
        for (std::uint32_t i = 0; i < indices; ++i) {
            set.indices.push_back(in.U32());
        }
        for (std::uint32_t i = 0; i < vertices; ++i) {
            SReadVertex vertex;
            vertex.u = in.F32();
            vertex.v = in.F32();
            vertex.normal = vector3();
            vertex.position = vector3();
            std::uint32_t const tail = in.U32();
            if (model.flags & 0x4) {
                for (std::uint32_t k = 0; k < (tail & 0xFFFF); ++k) {
                    SReadInfluence influence;
                    influence.bone = in.U32();
                    influence.weight = in.F32();
                    influence.normal = vector3();
                    influence.position = vector3();
                    vertex.influences.push_back(influence);
                }
            }
            set.vertices.push_back(vertex);
        }
        set.material = in.BinaryString();
        set.shader = in.U32();
        model.sets.push_back(set);
    }
    model.octreeName = in.BinaryString();
    if (!in.AtEnd()) {
        throw std::runtime_error("bytes after the octree name");
    }
    return model;
}
