#pragma once

#include "ModelWriter.h"

namespace content
{

// The starfish: five arms whose tips curl in a wave running round the body (morph
// frames, the last repeating the first; a close-up set "starfish:near" and a coarser one
// "starfish:far"), and the flat quad of its soft shadow.
class CStarfishModelBuilder
{
public:
    static constexpr unsigned int Frames = 9;
    static constexpr float ArmRadius = 1.0f;
    static constexpr float CentreRadius = 0.34f;

    static SModelData BuildStar();
    static SModelData BuildShadow();
    // Outline radius of the star at angle theta (radians).
    static float GetOutlineRadius(float theta);
    static void GetBoundingBox(SModelData const& model, CVector3* min, CVector3* max);
};

} // namespace content
