#pragma once

#include "math/Quaternion.h"
#include "math/Vector.h"
#include "model/ModelFile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace content
{

struct SModelInfluence
{
    std::uint32_t bone = 0;
    float weight = 0.0f;
    CVector3 normal{0.0f, 0.0f, 1.0f};   // in bone space
    CVector3 position{0.0f, 0.0f, 0.0f}; // in bone space
};

struct SModelVertex
{
    CVector3 position{0.0f, 0.0f, 0.0f};
    CVector3 normal{0.0f, 0.0f, 1.0f};
    float u = 0.0f, v = 0.0f;
    std::vector<SModelInfluence> influences; // skeletal models only
};

struct SModelTriangleSet
{
    std::vector<std::uint32_t> indices; // absolute indices into the model's vertex buffer
    // Static and skeletal: the set's vertices. Morph: frames × the set's vertices, frame-major.
    std::vector<SModelVertex> vertices;
    std::string material;
    std::uint32_t shader = 0; // descriptor number in the model's shader file
};

struct SModelBone
{
    std::uint8_t flag = 0; // 0: the box counts for the model's bounding box
    std::string name;
    CVector3 boxMin{0.0f, 0.0f, 0.0f}, boxMax{0.0f, 0.0f, 0.0f}; // in bone space
    std::uint32_t value = 0;
    std::uint32_t lastDescendant = 0;
};

struct SModelKey
{
    CVector3 position{0.0f, 0.0f, 0.0f};
    CQuaternion rotation{0.0f, 0.0f, 0.0f, 1.0f};
    CVector3 scale{1.0f, 1.0f, 1.0f};
};

struct SModelData
{
    std::uint32_t flags = 0; // MP_* properties
    std::uint32_t frames = 1;
    float speed = 0.0f; // frames per second
    std::vector<SModelBone> bones;
    std::vector<SModelKey> keys; // frames × bones, frame-major
    std::vector<SModelTriangleSet> sets;
    std::string octreeName;

    // Vertices the engine's buffer holds: all records, or one frame's worth for morph models.
    std::uint32_t GetBufferVertexCount() const;
};

// Writes TWMLF version 200. Throws std::invalid_argument for inconsistent data (not exactly
// one of the static/morph/skeletal bits, keyframe count, indices outside the buffer, morph
// sets whose records are not a multiple of the frame count) and std::length_error for a name
// longer than MaxNameLength.
class CModelWriter
{
public:
    static constexpr std::uint32_t Version = SModelFile::Version;
    // Characters a bone, material or octree name may have.
    static constexpr std::size_t MaxNameLength = 254;

    static std::vector<std::uint8_t> Write(SModelData const& model);
    static void Validate(SModelData const& model);
    // The engine's record of the model, which writes the file.
    static SModelFile ToModelFile(SModelData const& model);
};

} // namespace content
