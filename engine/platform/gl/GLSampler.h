#pragma once

#include "platform/gl/Direct3D8.h"

#include <array>

namespace platform
{
class GLDirect3DTexture8;

struct SSamplerLimits
{
    // Blending two mip levels costs a software rasteriser a sixth of its frame; the nearer
    // level alone looks nearly the same.
    bool softwareRasteriser = false;
    unsigned int maxAnisotropy = 1;
};

// A texture stage's filters, addressing and anisotropy on the texture bound to the current
// unit; parameters the texture already holds are not sent again.
void ApplyGLSampler(std::array<DWORD, 32> const& stageStates, SSamplerLimits const& limits,
                    GLDirect3DTexture8* texture);
} // namespace platform
