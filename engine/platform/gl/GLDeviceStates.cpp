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
HRESULT GLDirect3DDevice8::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX const* matrix)
{
    if (!matrix) {
        return D3DERR_INVALIDCALL;
    }
    if (state == D3DTS_WORLD) {
        m_world = *matrix;
        m_modelViewDirty = true;
    } else if (state == D3DTS_VIEW) {
        m_view = *matrix;
        m_modelViewDirty = true;
        m_lightsDirty = true;
    } else if (state == D3DTS_PROJECTION) {
        m_projection = *matrix;
        m_projectionDirty = true;
    } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
        m_textureMatrices[state - D3DTS_TEXTURE0] = *matrix;
        m_stageDirty[state - D3DTS_TEXTURE0] = true;
    } else {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    if (!matrix) {
        return D3DERR_INVALIDCALL;
    }
    if (state == D3DTS_WORLD) {
        *matrix = m_world;
    } else if (state == D3DTS_VIEW) {
        *matrix = m_view;
    } else if (state == D3DTS_PROJECTION) {
        *matrix = m_projection;
    } else if (state >= D3DTS_TEXTURE0 && state <= D3DTS_TEXTURE7) {
        *matrix = m_textureMatrices[state - D3DTS_TEXTURE0];
    } else {
        return D3DERR_INVALIDCALL;
    }
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetViewport(D3DVIEWPORT8 const* viewport)
{
    if (!viewport || viewport->Width == 0 || viewport->Height == 0) {
        return D3DERR_INVALIDCALL;
    }
    m_viewport = *viewport;
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    ApplyViewport();
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::GetViewport(D3DVIEWPORT8* viewport)
{
    if (!viewport) {
        return D3DERR_INVALIDCALL;
    }
    *viewport = m_viewport;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetMaterial(D3DMATERIAL8 const* material)
{
    if (!material) {
        return D3DERR_INVALIDCALL;
    }
    m_material = *material;
    m_materialDirty = true;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::GetMaterial(D3DMATERIAL8* material)
{
    if (!material) {
        return D3DERR_INVALIDCALL;
    }
    *material = m_material;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetLight(DWORD index, D3DLIGHT8 const* light)
{
    if (!light || index >= MaxLights || light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) {
        return D3DERR_INVALIDCALL;
    }
    m_lights[index] = *light;
    m_lightsDirty = true;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::LightEnable(DWORD index, BOOL enable)
{
    if (index >= MaxLights) {
        return D3DERR_INVALIDCALL;
    }
    m_lightEnabled[index] = enable != 0;
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    if (enable) {
        glEnable(GL_LIGHT0 + index);
    } else {
        glDisable(GL_LIGHT0 + index);
    }
    m_lightsDirty = true;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    if (state >= m_renderStates.size()) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    m_renderStates[state] = value;
    ApplyRenderState(state);
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    if (!value || state >= m_renderStates.size()) {
        return D3DERR_INVALIDCALL;
    }
    *value = m_renderStates[state];
    return D3D_OK;
}

void GLDirect3DDevice8::ScissorTo(DWORD x, DWORD y, DWORD width, DWORD height) const
{
    float scaleX, scaleY;
    int drawableHeight;
    GetDrawableScale(&scaleX, &scaleY, &drawableHeight);
    int left = int(std::lround(x * scaleX));
    int right = int(std::lround((x + width) * scaleX));
    int top = int(std::lround(y * scaleY));
    int bottom = int(std::lround((y + height) * scaleY));
    glScissor(left, m_drawingTurned ? top : drawableHeight - bottom, right - left, bottom - top);
}

void GLDirect3DDevice8::ApplyViewport()
{
    float scaleX, scaleY;
    int drawableHeight;
    GetDrawableScale(&scaleX, &scaleY, &drawableHeight);
    int left = int(std::lround(m_viewport.X * scaleX));
    int right = int(std::lround((m_viewport.X + m_viewport.Width) * scaleX));
    int top = int(std::lround(m_viewport.Y * scaleY));
    int bottom = int(std::lround((m_viewport.Y + m_viewport.Height) * scaleY));
    glViewport(left, m_drawingTurned ? top : drawableHeight - bottom, right - left, bottom - top);
    m_viewportPixels = {std::max(right - left, 1), std::max(bottom - top, 1)};
    m_context->GetDrawableSize(&m_viewportDrawableWidth, &m_viewportDrawableHeight);
    glDepthRange(m_viewport.MinZ, m_viewport.MaxZ);
    m_projectionDirty = true;
}

void GLDirect3DDevice8::ApplyRenderState(DWORD state)
{
    DWORD value = m_renderStates[state];
    switch (state) {
    case D3DRS_ZENABLE:
        value ? glEnable(GL_DEPTH_TEST) : glDisable(GL_DEPTH_TEST);
        break;
    case D3DRS_ZWRITEENABLE:
        glDepthMask(value ? GL_TRUE : GL_FALSE);
        break;
    case D3DRS_ZFUNC:
        glDepthFunc(ToGLCompare(value));
        break;
    case D3DRS_FILLMODE:
        glPolygonMode(GL_FRONT_AND_BACK, value == D3DFILL_POINT       ? GL_POINT
                                         : value == D3DFILL_WIREFRAME ? GL_LINE
                                                                      : GL_FILL);
        break;
    case D3DRS_SHADEMODE:
        glShadeModel(value == D3DSHADE_FLAT ? GL_FLAT : GL_SMOOTH);
        break;
    case D3DRS_ALPHATESTENABLE:
        value ? glEnable(GL_ALPHA_TEST) : glDisable(GL_ALPHA_TEST);
        break;
    case D3DRS_ALPHAREF:
    case D3DRS_ALPHAFUNC:
        glAlphaFunc(ToGLCompare(m_renderStates[D3DRS_ALPHAFUNC]),
                    float(m_renderStates[D3DRS_ALPHAREF] & 0xFF) / 255.0f);
        break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
        glBlendFunc(ToGLBlend(m_renderStates[D3DRS_SRCBLEND]), ToGLBlend(m_renderStates[D3DRS_DESTBLEND]));
        break;
    case D3DRS_BLENDOP:
        switch (value) {
        case D3DBLENDOP_SUBTRACT:
            glBlendEquation(GL_FUNC_SUBTRACT);
            break;
        case D3DBLENDOP_REVSUBTRACT:
            glBlendEquation(GL_FUNC_REVERSE_SUBTRACT);
            break;
        case D3DBLENDOP_MIN:
            glBlendEquation(GL_MIN);
            break;
        case D3DBLENDOP_MAX:
            glBlendEquation(GL_MAX);
            break;
        default:
            glBlendEquation(GL_FUNC_ADD);
            break;
        }
        break;
    case D3DRS_ALPHABLENDENABLE:
        value ? glEnable(GL_BLEND) : glDisable(GL_BLEND);
        break;
    case D3DRS_CULLMODE:
        // Front faces are clockwise on screen, as the device expects.
        if (value == D3DCULL_CW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_FRONT);
        } else if (value == D3DCULL_CCW) {
            glEnable(GL_CULL_FACE);
            glCullFace(GL_BACK);
        } else {
            glDisable(GL_CULL_FACE);
        }
        break;
    case D3DRS_DITHERENABLE:
        value ? glEnable(GL_DITHER) : glDisable(GL_DITHER);
        break;
    case D3DRS_FOGENABLE:
        value ? glEnable(GL_FOG) : glDisable(GL_FOG);
        break;
    case D3DRS_FOGCOLOR: {
        GLfloat colour[4];
        ColorToFloats(value, colour);
        glFogfv(GL_FOG_COLOR, colour);
        break;
    }
    case D3DRS_FOGTABLEMODE:
    case D3DRS_FOGVERTEXMODE: {
        // Either mode selects the formula; the table mode wins when both are set.
        DWORD const mode = m_renderStates[D3DRS_FOGTABLEMODE] != D3DFOG_NONE
                               ? m_renderStates[D3DRS_FOGTABLEMODE]
                               : m_renderStates[D3DRS_FOGVERTEXMODE];
        glFogi(GL_FOG_MODE, mode == D3DFOG_EXP ? GL_EXP : mode == D3DFOG_EXP2 ? GL_EXP2 : GL_LINEAR);
        break;
    }
    case D3DRS_FOGSTART:
        glFogf(GL_FOG_START, std::bit_cast<float>(value));
        break;
    case D3DRS_FOGEND:
        glFogf(GL_FOG_END, std::bit_cast<float>(value));
        break;
    case D3DRS_FOGDENSITY:
        glFogf(GL_FOG_DENSITY, std::bit_cast<float>(value));
        break;
    case D3DRS_LIGHTING:
        value ? glEnable(GL_LIGHTING) : glDisable(GL_LIGHTING);
        break;
    case D3DRS_AMBIENT: {
        GLfloat ambient[4];
        ColorToFloats(value, ambient);
        glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
        break;
    }
    case D3DRS_LOCALVIEWER:
        glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, value ? GL_TRUE : GL_FALSE);
        break;
    case D3DRS_NORMALIZENORMALS:
        value ? glEnable(GL_NORMALIZE) : glDisable(GL_NORMALIZE);
        break;
    case D3DRS_ZBIAS:
        if (value) {
            glEnable(GL_POLYGON_OFFSET_FILL);
            glPolygonOffset(0.0f, -float(value));
        } else {
            glDisable(GL_POLYGON_OFFSET_FILL);
        }
        break;
    case D3DRS_TEXTUREFACTOR:
        for (unsigned int stage = 0; stage < MaxStages; ++stage) {
            m_stageDirty[stage] = true;
        }
        break;
    case D3DRS_SPECULARENABLE:
    case D3DRS_COLORVERTEX:
    case D3DRS_DIFFUSEMATERIALSOURCE:
    case D3DRS_SPECULARMATERIALSOURCE:
    case D3DRS_AMBIENTMATERIALSOURCE:
    case D3DRS_EMISSIVEMATERIALSOURCE:
        m_materialDirty = true;
        break;
    default:
        break;
    }
}

void GLDirect3DDevice8::ApplyMaterial()
{
    SMaterialColourSources sources;
    bool const vertexColor = m_renderStates[D3DRS_COLORVERTEX] && (m_fvf & D3DFVF_DIFFUSE);
    sources.diffuse = vertexColor && m_renderStates[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
    sources.ambient = vertexColor && m_renderStates[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
    sources.emissive = vertexColor && m_renderStates[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1;
    ApplyGLMaterial(m_material, m_renderStates[D3DRS_SPECULARENABLE] != 0, sources);
}

void GLDirect3DDevice8::ApplyLights()
{
    ApplyGLLights(m_view, m_lights.data(), m_lightEnabled.data(), MaxLights);
    m_modelViewDirty = true;
}

void GLDirect3DDevice8::ApplyProjection()
{
    // Device clip space has z in 0..w and pixel centres on integers; GL has -w..w and
    // centres on halves: z' = 2z - w, and a half-pixel shift right and down (pixels of the
    // target drawn, which may be smaller than the back buffer).
    D3DMATRIX adjust = Identity();
    adjust._33 = 2.0f;
    adjust._43 = -1.0f;
    adjust._41 = 1.0f / float(m_viewportPixels[0]);
    adjust._42 = -1.0f / float(m_viewportPixels[1]);
    D3DMATRIX projection = Multiply(m_projection, adjust);
    if (m_drawingTurned) {
        projection._12 = -projection._12;
        projection._22 = -projection._22;
        projection._32 = -projection._32;
        projection._42 = -projection._42;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&projection._11);
    glMatrixMode(GL_MODELVIEW);
}
} // namespace platform
