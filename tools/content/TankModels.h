#pragma once

#include "ModelWriter.h"

namespace content
{

// The tank's models, shaped from the tank layout: the backdrop wall, the rippled sand, three
// rock shapes and two plants that sway through a looping morph animation.
class CTankModelBuilder
{
public:
    static constexpr unsigned int PlantFrames = 17; // the last frame repeats the first
    static constexpr float PlantSpeed = 5.0f;

    static SModelData Backdrop();
    static SModelData Sand();
    static SModelData Rock(unsigned int shape);
    static SModelData Grass();
    static SModelData Bush();

    static void GetBoundingBox(SModelData const& model, CVector3* min, CVector3* max);
};

} // namespace content
