#include "platform/gl/GLSampler.h"

#include "platform/gl/GLStateTranslation.h"
#include "platform/gl/GLTexture.h"
#include "platform/gl/OpenGL.h"

#include <algorithm>

namespace platform
{
namespace
{
GLint ToGLMinFilter(DWORD minFilter, DWORD mipFilter)
{
    bool const minLinear = minFilter >= D3DTEXF_LINEAR;
    if (mipFilter == D3DTEXF_NONE) {
        return minLinear ? GL_LINEAR : GL_NEAREST;
    }
    if (mipFilter == D3DTEXF_POINT) {
        return minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    }
    return minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
}

void ApplyAnisotropy(std::array<DWORD, 32> const& states, unsigned int maxAnisotropy,
                     GLDirect3DTexture8* texture)
{
    bool const anisotropic = states[D3DTSS_MINFILTER] == D3DTEXF_ANISOTROPIC ||
                             states[D3DTSS_MAGFILTER] == D3DTEXF_ANISOTROPIC ||
                             states[D3DTSS_MIPFILTER] == D3DTEXF_ANISOTROPIC;
    DWORD const requested = states[D3DTSS_MAXANISOTROPY] > 1 ? states[D3DTSS_MAXANISOTROPY] : maxAnisotropy;
    GLfloat const anisotropy = anisotropic ? GLfloat(std::min<DWORD>(requested, maxAnisotropy)) : 1.0f;
    if (anisotropy != texture->appliedAnisotropy) {
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
        texture->appliedAnisotropy = anisotropy;
    }
}
} // namespace

void ApplyGLSampler(std::array<DWORD, 32> const& states, SSamplerLimits const& limits,
                    GLDirect3DTexture8* texture)
{
    DWORD mipFilter = texture->HasMipLevels() ? states[D3DTSS_MIPFILTER] : D3DTEXF_NONE;
    if (limits.softwareRasteriser && mipFilter == D3DTEXF_LINEAR) {
        mipFilter = D3DTEXF_POINT;
    }
    GLint const mag = states[D3DTSS_MAGFILTER] >= D3DTEXF_LINEAR ? GL_LINEAR : GL_NEAREST;
    std::array<GLint, 5> const sampler = {
        ToGLMinFilter(states[D3DTSS_MINFILTER], mipFilter), mag, ToGLAddress(states[D3DTSS_ADDRESSU]),
        ToGLAddress(states[D3DTSS_ADDRESSV]), GLint(states[D3DTSS_BORDERCOLOR])};
    if (sampler != texture->appliedSampler) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, sampler[0]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, sampler[1]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, sampler[2]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, sampler[3]);
        GLfloat border[4];
        ColorToFloats(states[D3DTSS_BORDERCOLOR], border);
        glTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_BORDER_COLOR, border);
        texture->appliedSampler = sampler;
    }
    if (limits.maxAnisotropy > 1) {
        ApplyAnisotropy(states, limits.maxAnisotropy, texture);
    }
}
} // namespace platform
