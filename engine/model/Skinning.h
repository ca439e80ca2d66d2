#pragma once

#include <cstdint>

#include "math/Vector.h"

struct SBone;
struct Vertex;

// One bone's pull on a skinned vertex, in bone space.
struct SSkinInfluence
{
    std::uint32_t bone;
    float weight;
    CVector3 position;
    CVector3 normal;
};

// The influences of one vertex: a run of the influence table.
struct SSkinEntry
{
    std::uint16_t influencesCount;
    std::uint32_t firstInfluence;
};

// Morph record of one vertex in one frame: position (3), normal (3), u, v.
constexpr unsigned int MorphRecordFloats = 8;

// Every vertex becomes the weighted sum of its influences carried by their bones' matrices
// (positions; normals by the inverse transpose, keeping their length); a vertex without
// influences goes to the origin.
// Colours and texture coordinates are left alone. Bone numbers must be within `bones`.
void SkinVertices(SSkinEntry const* entries, unsigned int count, SSkinInfluence const* influences,
                  SBone const* bones, Vertex* vertices);

// Vertices get a·(1 − t) + b·t of two runs of `count` morph records.
void BlendMorphRecords(float const* a, float const* b, float t, unsigned int count, Vertex* vertices);
