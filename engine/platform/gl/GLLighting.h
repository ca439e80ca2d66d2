#pragma once

#include "platform/gl/Direct3D8.h"

// The device's material and lights as OpenGL's fixed-function lighting.
namespace platform
{
// Which material colours follow the vertex colour instead.
struct SMaterialColourSources
{
    bool diffuse = false;
    bool ambient = false;
    bool emissive = false;
};

void ApplyGLMaterial(D3DMATERIAL8 const& material, bool specularEnabled,
                     SMaterialColourSources const& sources);
// Lights are given in world space: they are placed under the view transform alone, which is
// left on the model-view matrix.
void ApplyGLLights(D3DMATRIX const& view, D3DLIGHT8 const* lights, bool const* enabled, unsigned int count);
} // namespace platform
