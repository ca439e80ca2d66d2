#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "math/Quaternion.h"
#include "math/Vector.h"

class CFile;

// Properties word of a model, stored as the flags of a model file.
enum : unsigned int
{
    MP_STATIC = 0x1,
    MP_MORPH = 0x2,
    MP_SKELETAL = 0x4,
    MP_TRIANGLE_LISTS = 0x8,
    MP_NO_EFFECT = 0x20,
    MP_LIGHTING = 0x40,
    MP_DEPTH_TEST = 0x80,
    MP_OPAQUE = 0x200,
    MP_TRANSPARENT = 0x400,
    MP_FIXED_DEPTH = 0x800,
    MP_Z_BIASED = 0x1000,
    MP_CULL_CLOCKWISE = 0x2000,
    MP_TWO_SIDED = 0x4000,
    MP_DYNAMIC_BOUNDING_BOX = 0x8000,
    MP_VISIBLE = 0x40000,
    // Set at run time: an opaque static model that stands still, drawn into the kept background.
    MP_BACKGROUND = 0x80000,
    MP_KINDS = MP_STATIC | MP_MORPH | MP_SKELETAL,
};

struct SModelFileBone
{
    // 0: the bone's box takes part in the model's bounding box.
    std::uint8_t flag = 0;
    std::string name;
    CVector3 min = {0.0f, 0.0f, 0.0f};
    CVector3 max = {0.0f, 0.0f, 0.0f};
    std::uint32_t fileValue = 0;
    std::uint32_t lastDescendant = 0;
};

struct SModelFileKeyframe
{
    CVector3 position = {0.0f, 0.0f, 0.0f};
    CQuaternion rotation = {0.0f, 0.0f, 0.0f, 1.0f};
    CVector3 scale = {1.0f, 1.0f, 1.0f};
};

struct SModelFileInfluence
{
    std::uint32_t bone = 0;
    float weight = 0.0f;
    CVector3 normal = {0.0f, 0.0f, 0.0f};
    CVector3 position = {0.0f, 0.0f, 0.0f};
};

struct SModelFileVertex
{
    float u = 0.0f;
    float v = 0.0f;
    CVector3 normal = {0.0f, 0.0f, 0.0f};
    CVector3 position = {0.0f, 0.0f, 0.0f};
    // Skeletal models: the number of this vertex's influences (low 16 bits).
    std::uint32_t tail = 0;
};

struct SModelFileTriangleSet
{
    std::vector<std::uint32_t> indices;
    std::vector<SModelFileVertex> vertices;
    // Skeletal models: the influences of all vertices of the set, vertex after vertex.
    std::vector<SModelFileInfluence> influences;
    std::string material;
    std::uint32_t shaderNumber = 0;

    // 32-bit indices are needed from 65536 indices on, or for any vertex past 16 bits.
    bool NeedsWideIndices() const;
};

// The content of a model file. Reading checks every count and index against the
// buffers they describe, so a model built from a read file stays in bounds.
struct SModelFile
{
    static constexpr std::uint32_t Version = 200;

    std::uint32_t properties = MP_STATIC | MP_TRIANGLE_LISTS;
    std::uint32_t framesCount = 1;
    float speed = 0.0f;
    std::vector<SModelFileBone> bones;
    // framesCount × bones records, all bones of frame 0 first.
    std::vector<SModelFileKeyframe> keyframes;
    // Vertex records in the file (morph models: all frames together).
    std::uint32_t verticesCount = 0;
    std::vector<SModelFileTriangleSet> triangleSets;
    std::string octreeName;

    bool IsMorph() const { return (properties & MP_KINDS) == MP_MORPH; }
    bool IsSkeletal() const { return (properties & MP_KINDS) == MP_SKELETAL; }
    // Vertices of the model's vertex buffer.
    std::uint32_t GetBufferVerticesCount() const;
};

enum class EModelFileResult
{
    Ok,
    BadFormat,
    BadVersion,
};

// Reads from the file's position; a read past the end throws CFileError.
EModelFileResult ReadModelFile(CFile& file, SModelFile* model);
// The whole file: header with its size, then the content.
std::vector<std::uint8_t> WriteModelFileImage(SModelFile const& model);
