#pragma once

#include "FishBody.h"
#include "ModelWriter.h"

#include <vector>

namespace content
{

enum class EFin
{
    Tail,
    Dorsal,
    Anal,
    Pectoral,
};

// One fin triangle in texture space, for painting: `ray` is constant along a fin ray,
// `reach` runs from the fin's base (0) to its edge (1).
struct SFinTriangle
{
    EFin fin;
    float u[3], v[3];
    float ray[3], reach[3];
};

struct SFishGeometry
{
    SModelData model;
    SFishSideMapping mapping;
    std::vector<SFinTriangle> finTriangles;
    CVector3 boxMin, boxMax; // bind pose
};

// Builds a skinned fish: body set (shader 0) and fin set (shader 1) close up ("body:near",
// "fins:near"), the same again cut coarser for afar ("body:far", "fins:far"), five bones
// "Bone01" (head) to "Bone05" (tail base) in one chain, and a looping swim cycle.
class CFishModelBuilder
{
public:
    static constexpr unsigned int BonesCount = 5;
    static constexpr unsigned int SwimFrames = 9; // the last frame repeats the first
    static constexpr float AnimationSpeed = 10.0f;

    static SFishGeometry Build(SFishSpecies const& species);
};

} // namespace content
