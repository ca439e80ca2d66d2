#include "platform/gl/GLDevice.h"

#include "platform/gl/GLBuffer.h"
#include "platform/gl/GLFormats.h"
#include "platform/gl/GLKeptBackBuffer.h"
#include "platform/gl/GLLighting.h"
#include "platform/gl/GLSampler.h"
#include "platform/gl/GLStateTranslation.h"
#include "platform/gl/GLTexture.h"
#include "platform/gl/GLVertexArrays.h"
#include "platform/gl/OpenGL.h"
#include "platform/gl/RefCounted.h"
#include "platform/window/NativeWindow.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace platform
{
HRESULT GLDirect3DDevice8::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                         D3DPOOL pool, IDirect3DTexture8** texture)
{
    STextureFormat glFormat;
    if (!texture || width == 0 || height == 0 || usage != 0 || !GetTextureFormat(format, &glFormat)) {
        return D3DERR_INVALIDCALL;
    }
    if (width > m_maxTextureSize || height > m_maxTextureSize) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    *texture = new GLDirect3DTexture8(m_context, width, height, levels, format, glFormat, pool);
    glBindTexture(GL_TEXTURE_2D, 0);
    m_boundUnitsDirty = true;
    return glGetError() == GL_OUT_OF_MEMORY ? D3DERR_OUTOFVIDEOMEMORY : D3D_OK;
}

HRESULT GLDirect3DDevice8::SetTexture(DWORD stage, IDirect3DTexture8* texture)
{
    if (stage >= MaxStages) {
        return D3DERR_INVALIDCALL;
    }
    HoldReference(m_textures[stage], texture);
    m_stageDirty[stage] = true;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    if (stage >= MaxStages || type >= m_stageStates[0].size()) {
        return D3DERR_INVALIDCALL;
    }
    m_stageStates[stage][type] = value;
    m_stageDirty[stage] = true;
    if (type == D3DTSS_COLOROP) {
        // Disabling a stage disables the ones after it.
        for (unsigned int later = stage; later < MaxStages; ++later) {
            m_stageDirty[later] = true;
        }
    }
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    if (!value || stage >= MaxStages || type >= m_stageStates[0].size()) {
        return D3DERR_INVALIDCALL;
    }
    *value = m_stageStates[stage][type];
    return D3D_OK;
}

void GLDirect3DDevice8::ApplySampler(unsigned int stage, GLDirect3DTexture8* texture)
{
    SSamplerLimits limits;
    limits.softwareRasteriser = m_softwareRasteriser;
    limits.maxAnisotropy = m_maxAnisotropy;
    ApplyGLSampler(m_stageStates[stage], limits, texture);
}

void GLDirect3DDevice8::ApplyCoordinateGeneration(bool cameraSpace)
{
    static constexpr GLenum Coordinates[4] = {GL_S, GL_T, GL_R, GL_Q};
    static constexpr GLenum Switches[4] = {GL_TEXTURE_GEN_S, GL_TEXTURE_GEN_T, GL_TEXTURE_GEN_R,
                                           GL_TEXTURE_GEN_Q};
    if (!cameraSpace) {
        for (GLenum const generation : Switches) {
            glDisable(generation);
        }
        return;
    }
    // Eye planes are taken through the model-view matrix of the moment: with none, the
    // coordinates are the camera-space position itself.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (unsigned int i = 0; i < 4; ++i) {
        GLfloat plane[4] = {0.0f, 0.0f, 0.0f, 0.0f};
        plane[i] = 1.0f;
        glTexGeni(Coordinates[i], GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
        glTexGenfv(Coordinates[i], GL_EYE_PLANE, plane);
        glEnable(Switches[i]);
    }
    glPopMatrix();
}

void GLDirect3DDevice8::ApplyStages()
{
    bool disabled = false;
    for (unsigned int stage = 0; stage < m_units; ++stage) {
        auto const& states = m_stageStates[stage];
        disabled = disabled || states[D3DTSS_COLOROP] == D3DTOP_DISABLE;
        auto* texture = static_cast<GLDirect3DTexture8*>(m_textures[stage]);
        bool dirty = m_stageDirty[stage] || m_boundUnitsDirty || (texture && texture->appliedSampler[0] < 0);
        if (!dirty) {
            continue;
        }
        m_stageDirty[stage] = false;
        glActiveTexture(GL_TEXTURE0 + stage);
        if (disabled || !texture) {
            // A stage without a texture passes the current colour on.
            ApplyCoordinateGeneration(false);
            glDisable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, 0);
            continue;
        }
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture->GetName());
        ApplySampler(stage, texture);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
        GLfloat factor[4];
        ColorToFloats(m_renderStates[D3DRS_TEXTUREFACTOR], factor);
        glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, factor);
        SetCombine(states[D3DTSS_COLOROP], states[D3DTSS_COLORARG1], states[D3DTSS_COLORARG2], false);
        SetCombine(states[D3DTSS_ALPHAOP], states[D3DTSS_ALPHAARG1], states[D3DTSS_ALPHAARG2], true);

        bool const cameraSpace =
            (states[D3DTSS_TEXCOORDINDEX] & ~TexCoordIndexMask) == D3DTSS_TCI_CAMERASPACEPOSITION;
        ApplyCoordinateGeneration(cameraSpace);
        glMatrixMode(GL_TEXTURE);
        if (cameraSpace && (states[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF)) {
            // The camera-space position enters the matrix whole, as (x, y, z, 1).
            glLoadMatrixf(&m_textureMatrices[stage]._11);
        } else if (states[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) {
            // 2D coordinates enter the matrix as (u, v, 1, 1); the result is not projected.
            D3DMATRIX const& m = m_textureMatrices[stage];
            GLfloat matrix[16] = {m._11, m._12, 0.0f, 0.0f, m._21,         m._22,         0.0f, 0.0f,
                                  0.0f,  0.0f,  1.0f, 0.0f, m._31 + m._41, m._32 + m._42, 0.0f, 1.0f};
            glLoadMatrixf(matrix);
        } else {
            glLoadIdentity();
        }
        glMatrixMode(GL_MODELVIEW);
    }
    m_boundUnitsDirty = false;
    glActiveTexture(GL_TEXTURE0);
}
} // namespace platform
