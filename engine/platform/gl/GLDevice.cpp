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
GLDirect3DDevice8::GLDirect3DDevice8(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                                     D3DPRESENT_PARAMETERS const& parameters)
    : m_runtime(runtime), m_adapter(adapter), m_context(std::move(context)), m_parameters(parameters)
{
    m_runtime->AddRef();
    QueryLimits();
    InitialiseStates();
    ApplyPresentParameters();
}

GLDirect3DDevice8::~GLDirect3DDevice8()
{
    SetStreamSource(0, nullptr, 0);
    SetIndices(nullptr, 0);
    for (IDirect3DTexture8*& texture : m_textures) {
        if (texture) {
            texture->Release();
            texture = nullptr;
        }
    }
    if (!m_context->IsReleased()) {
        if (m_context->MakeCurrent()) {
            if (m_presentedFrame != 0) {
                glDeleteTextures(1, &m_presentedFrame);
            }
            m_keptBackBuffer.Release();
            m_scaledFrame.Release();
        }
        m_context->Release();
    }
    m_runtime->Release();
}

HRESULT GLDirect3DDevice8::GetDeviceCaps(D3DCAPS8* caps)
{
    if (!caps) {
        return D3DERR_INVALIDCALL;
    }
    m_runtime->GetDeviceCaps(m_adapter, D3DDEVTYPE_HAL, caps);
    caps->MaxTextureWidth = m_maxTextureSize;
    caps->MaxTextureHeight = m_maxTextureSize;
    caps->MaxSimultaneousTextures = m_units;
    caps->MaxTextureBlendStages = m_units;
    caps->MaxAnisotropy = m_maxAnisotropy;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    return mode ? m_runtime->GetAdapterDisplayMode(m_adapter, mode) : D3DERR_INVALIDCALL;
}

HRESULT GLDirect3DDevice8::Reset(D3DPRESENT_PARAMETERS* parameters)
{
    if (!parameters || parameters->BackBufferWidth == 0 || parameters->BackBufferHeight == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    m_parameters = *parameters;
    m_parameters.hDeviceWindow = m_context->GetWindow();
    SetDrawingTurned(false);
    m_keptBackBuffer.Release();
    BindFrameTarget();
    ApplyPresentParameters();
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::Present(RECT const*, RECT const*, HWND, void const*)
{
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    if (m_frameScaled && !m_scaledFrame.StretchIntoWindow(GetDrawableSize())) {
        // Frames go straight into the window from now on.
        m_renderScale = 1.0f;
    }
    if (m_keepEveryFrame || m_keepNextFrame) {
        KeepPresentedFrame();
    }
    m_keepNextFrame = false;
    m_context->SwapBuffers();
    BindFrameTarget();
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::BeginScene()
{
    if (m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    m_inScene = true;
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    // The window may have been resized since the viewport was set.
    int width = 0;
    int height = 0;
    m_context->GetDrawableSize(&width, &height);
    if (width != m_viewportDrawableWidth || height != m_viewportDrawableHeight) {
        BindFrameTarget();
        ApplyViewport();
    }
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::EndScene()
{
    if (!m_inScene) {
        return D3DERR_INVALIDCALL;
    }
    m_inScene = false;
    return D3D_OK;
}

HRESULT GLDirect3DDevice8::Clear(DWORD count, D3DRECT const* rects, DWORD flags, D3DCOLOR color, float z,
                                 DWORD stencil)
{
    if (!m_context->MakeCurrent()) {
        return D3DERR_DEVICELOST;
    }
    GLbitfield mask = 0;
    if (flags & D3DCLEAR_TARGET) {
        GLfloat c[4];
        ColorToFloats(color, c);
        glClearColor(c[0], c[1], c[2], c[3]);
        glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_ZBUFFER) {
        glClearDepth(std::clamp(z, 0.0f, 1.0f));
        glDepthMask(GL_TRUE);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (flags & D3DCLEAR_STENCIL) {
        glClearStencil(static_cast<GLint>(stencil));
        glStencilMask(0xFFFFFFFF);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    // The viewport limits a clear, as do the rectangles.
    glEnable(GL_SCISSOR_TEST);
    if (count == 0 || !rects) {
        ScissorTo(m_viewport.X, m_viewport.Y, m_viewport.Width, m_viewport.Height);
        glClear(mask);
    } else {
        for (DWORD i = 0; i < count; ++i) {
            std::int32_t left = std::max<std::int32_t>(rects[i].x1, std::int32_t(m_viewport.X));
            std::int32_t top = std::max<std::int32_t>(rects[i].y1, std::int32_t(m_viewport.Y));
            std::int32_t right =
                std::min<std::int32_t>(rects[i].x2, std::int32_t(m_viewport.X + m_viewport.Width));
            std::int32_t bottom =
                std::min<std::int32_t>(rects[i].y2, std::int32_t(m_viewport.Y + m_viewport.Height));
            if (right > left && bottom > top) {
                ScissorTo(DWORD(left), DWORD(top), DWORD(right - left), DWORD(bottom - top));
                glClear(mask);
            }
        }
    }
    glDisable(GL_SCISSOR_TEST);
    glDepthMask(m_renderStates[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE);
    return D3D_OK;
}

std::array<int, 2> GLDirect3DDevice8::GetDrawableSize() const
{
    std::array<int, 2> size = {0, 0};
    m_context->GetDrawableSize(&size[0], &size[1]);
    return size;
}

void GLDirect3DDevice8::QueryLimits()
{
    m_context->MakeCurrent();
    GLint value = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &value);
    m_maxTextureSize = static_cast<UINT>(std::max(value, 64));
    value = 1;
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &value);
    m_units = static_cast<UINT>(std::clamp(value, 1, int(MaxStages)));
    m_maxAnisotropy = 1;
    char const* extensions = reinterpret_cast<char const*>(glGetString(GL_EXTENSIONS));
    if (extensions && std::strstr(extensions, "GL_EXT_texture_filter_anisotropic")) {
        GLfloat anisotropy = 1.0f;
        glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        m_maxAnisotropy = static_cast<UINT>(std::max(1.0f, anisotropy));
    }
    m_bgraColors = extensions && std::strstr(extensions, "GL_ARB_vertex_array_bgra");
    m_vertexArrays.SetBgraColors(m_bgraColors);
    m_bufferObjects = extensions && std::strstr(extensions, "GL_ARB_map_buffer_range");
    char const* version = reinterpret_cast<char const*>(glGetString(GL_VERSION));
    bool const framebufferObjects = (version && std::atoi(version) >= 3) ||
                                    (extensions && std::strstr(extensions, "GL_ARB_framebuffer_object"));
    m_keptBackBuffer.SetAvailable(framebufferObjects);
    m_scaledFrame.SetAvailable(framebufferObjects);
    char const* renderer = reinterpret_cast<char const*>(glGetString(GL_RENDERER));
    m_softwareRasteriser = renderer && (std::strstr(renderer, "llvmpipe") ||
                                        std::strstr(renderer, "softpipe") || std::strstr(renderer, "swrast"));
    // Edges are smoothed wherever the window's surface is multisampled (nothing otherwise).
    glEnable(GL_MULTISAMPLE);
}

void GLDirect3DDevice8::InitialiseStates()
{
    m_renderStates.fill(0);
    m_renderStates[D3DRS_ZENABLE] = D3DZB_TRUE;
    m_renderStates[D3DRS_FILLMODE] = D3DFILL_SOLID;
    m_renderStates[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    m_renderStates[D3DRS_ZWRITEENABLE] = 1;
    m_renderStates[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    m_renderStates[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    m_renderStates[D3DRS_CULLMODE] = D3DCULL_CCW;
    m_renderStates[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    m_renderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    m_renderStates[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFF;
    m_renderStates[D3DRS_LIGHTING] = 1;
    m_renderStates[D3DRS_COLORVERTEX] = 1;
    m_renderStates[D3DRS_LOCALVIEWER] = 1;
    m_renderStates[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    m_renderStates[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    m_renderStates[D3DRS_AMBIENTMATERIALSOURCE] = D3DMCS_MATERIAL;
    m_renderStates[D3DRS_EMISSIVEMATERIALSOURCE] = D3DMCS_MATERIAL;
    m_renderStates[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    m_renderStates[D3DRS_FOGEND] = std::bit_cast<DWORD>(1.0f);
    m_renderStates[D3DRS_FOGDENSITY] = std::bit_cast<DWORD>(1.0f);

    for (unsigned int stage = 0; stage < MaxStages; ++stage) {
        auto& states = m_stageStates[stage];
        states.fill(0);
        states[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        states[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        states[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        states[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        states[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        states[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        states[D3DTSS_TEXCOORDINDEX] = stage;
        states[D3DTSS_ADDRESSU] = D3DTADDRESS_WRAP;
        states[D3DTSS_ADDRESSV] = D3DTADDRESS_WRAP;
        states[D3DTSS_MAGFILTER] = D3DTEXF_POINT;
        states[D3DTSS_MINFILTER] = D3DTEXF_POINT;
        states[D3DTSS_MIPFILTER] = D3DTEXF_NONE;
        states[D3DTSS_MAXANISOTROPY] = 1;
        states[D3DTSS_TEXTURETRANSFORMFLAGS] = D3DTTFF_DISABLE;
        m_textureMatrices[stage] = Identity();
        m_stageDirty[stage] = true;
    }
    m_world = m_view = m_projection = Identity();
    m_material = {};
    m_lights = {};
    m_lightEnabled.fill(false);

    m_context->MakeCurrent();
    glFrontFace(GL_CW);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, black);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_FALSE);
    for (unsigned int i = 0; i < MaxLights; ++i) {
        glDisable(GL_LIGHT0 + i);
    }
    for (DWORD state : {D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_SHADEMODE, D3DRS_ZWRITEENABLE,
                        D3DRS_ALPHATESTENABLE, D3DRS_SRCBLEND, D3DRS_CULLMODE, D3DRS_ZFUNC, D3DRS_ALPHAFUNC,
                        D3DRS_DITHERENABLE, D3DRS_ALPHABLENDENABLE, D3DRS_LIGHTING, D3DRS_AMBIENT,
                        D3DRS_LOCALVIEWER, D3DRS_NORMALIZENORMALS, D3DRS_ZBIAS, D3DRS_BLENDOP}) {
        ApplyRenderState(state);
    }
    m_modelViewDirty = m_projectionDirty = m_lightsDirty = m_materialDirty = true;
}

void GLDirect3DDevice8::ApplyPresentParameters()
{
    m_context->MakeCurrent();
    int interval = 0;
    if (!m_parameters.Windowed && m_parameters.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_ONE) {
        interval = 1;
    }
    m_context->SetSwapInterval(interval);
    m_viewport = {0, 0, m_parameters.BackBufferWidth, m_parameters.BackBufferHeight, 0.0f, 1.0f};
    ApplyViewport();
}

void GLDirect3DDevice8::GetDrawableScale(float* scaleX, float* scaleY, int* drawableHeight) const
{
    auto const [width, height] = GetTargetSize();
    *scaleX = m_parameters.BackBufferWidth ? float(width) / float(m_parameters.BackBufferWidth) : 1.0f;
    *scaleY = m_parameters.BackBufferHeight ? float(height) / float(m_parameters.BackBufferHeight) : 1.0f;
    *drawableHeight = height;
}

IDirect3DDevice8* CreateGLDevice(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                                 D3DPRESENT_PARAMETERS const& parameters)
{
    return new GLDirect3DDevice8(runtime, adapter, std::move(context), parameters);
}
} // namespace platform
