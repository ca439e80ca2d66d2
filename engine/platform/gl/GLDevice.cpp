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
namespace
{
// A stage's coordinate set is the low word of its index state (the high word asks for
// generated coordinates).
constexpr DWORD TexCoordIndexMask = 0xFFFF;

// Holds `next` in `held` by reference count: the new object gains a reference before the old
// one loses its own, so setting the same object again keeps it alive.
template <class Held, class Interface> void HoldReference(Held*& held, Interface* next)
{
    if (next) {
        next->AddRef();
    }
    if (held) {
        held->Release();
    }
    held = static_cast<Held*>(next);
}

class GLDirect3DDevice8 : public RefCounted<IDirect3DDevice8>
{
public:
    GLDirect3DDevice8(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                      D3DPRESENT_PARAMETERS const& parameters)
        : m_runtime(runtime), m_adapter(adapter), m_context(std::move(context)), m_parameters(parameters)
    {
        m_runtime->AddRef();
        QueryLimits();
        InitialiseStates();
        ApplyPresentParameters();
    }

    ~GLDirect3DDevice8() override
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
            }
            m_context->Release();
        }
        m_runtime->Release();
    }

    HRESULT TestCooperativeLevel() override { return D3D_OK; }

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override
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

    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override
    {
        return mode ? m_runtime->GetAdapterDisplayMode(m_adapter, mode) : D3DERR_INVALIDCALL;
    }

    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override
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
        ApplyPresentParameters();
        return D3D_OK;
    }

    HRESULT Present(RECT const*, RECT const*, HWND, void const*) override
    {
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        if (m_keepEveryFrame || m_keepNextFrame) {
            KeepPresentedFrame();
        }
        m_keepNextFrame = false;
        m_context->SwapBuffers();
        return D3D_OK;
    }

    HRESULT SetFrameKeeping(BOOL everyFrame) override
    {
        m_keepEveryFrame = everyFrame != 0;
        return D3D_OK;
    }

    HRESULT KeepNextFrame() override
    {
        m_keepNextFrame = true;
        return D3D_OK;
    }

    HRESULT BeginBackBufferKeeping(BOOL overKeptCopy) override
    {
        return OnKeptBackBuffer([this, overKeptCopy] {
            if (!m_keptBackBuffer.Begin(GetDrawableSize(), overKeptCopy != 0))
                return false;
            SetDrawingTurned(true);
            return true;
        });
    }

    HRESULT BeginBackBufferTrial() override
    {
        return OnKeptBackBuffer([this] {
            if (!m_keptBackBuffer.BeginTrial())
                return false;
            SetDrawingTurned(true);
            return true;
        });
    }

    HRESULT KeepBackBuffer() override
    {
        return OnKeptBackBuffer([this] {
            SetDrawingTurned(false);
            return m_keptBackBuffer.Keep();
        });
    }

    HRESULT PrepareBackBufferKeeping() override
    {
        return OnKeptBackBuffer([this] { return m_keptBackBuffer.Prepare(); });
    }

    HRESULT RestoreBackBuffer() override
    {
        return OnKeptBackBuffer([this] {
            SetDrawingTurned(false);
            return m_keptBackBuffer.Restore(GetDrawableSize());
        });
    }

    HRESULT ReleaseKeptBackBuffer() override
    {
        return OnKeptBackBuffer([this] {
            SetDrawingTurned(false);
            m_keptBackBuffer.Release();
            return true;
        });
    }

    HRESULT GetFrontBuffer(void* pixels, UINT pitch) override
    {
        UINT width = m_parameters.BackBufferWidth;
        UINT height = m_parameters.BackBufferHeight;
        if (!pixels || pitch < width * 4) {
            return D3DERR_INVALIDCALL;
        }
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        UINT readWidth = std::min(width, m_presentedWidth);
        UINT readHeight = std::min(height, m_presentedHeight);
        std::vector<unsigned char> rows(std::size_t(m_presentedWidth) * m_presentedHeight * 4);
        if (m_presentedFrame != 0 && !rows.empty()) {
            glActiveTexture(GL_TEXTURE0);
            glBindTexture(GL_TEXTURE_2D, m_presentedFrame);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
            m_boundUnitsDirty = true;
        }
        auto* target = static_cast<unsigned char*>(pixels);
        for (UINT y = 0; y < height; ++y) {
            unsigned char* row = target + std::size_t(y) * pitch;
            std::memset(row, 0, std::size_t(width) * 4);
            if (y < readHeight) {
                // GL rows run bottom up; the top of the frame is the last row.
                std::memcpy(row, rows.data() + std::size_t(m_presentedHeight - 1 - y) * m_presentedWidth * 4,
                            std::size_t(readWidth) * 4);
            }
        }
        return D3D_OK;
    }

    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override
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

    HRESULT BeginScene() override
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
            ApplyViewport();
        }
        return D3D_OK;
    }

    HRESULT EndScene() override
    {
        if (!m_inScene) {
            return D3DERR_INVALIDCALL;
        }
        m_inScene = false;
        return D3D_OK;
    }

    HRESULT Clear(DWORD count, D3DRECT const* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override
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

    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX const* matrix) override
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

    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override
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

    HRESULT SetViewport(D3DVIEWPORT8 const* viewport) override
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

    HRESULT GetViewport(D3DVIEWPORT8* viewport) override
    {
        if (!viewport) {
            return D3DERR_INVALIDCALL;
        }
        *viewport = m_viewport;
        return D3D_OK;
    }

    HRESULT SetMaterial(D3DMATERIAL8 const* material) override
    {
        if (!material) {
            return D3DERR_INVALIDCALL;
        }
        m_material = *material;
        m_materialDirty = true;
        return D3D_OK;
    }

    HRESULT GetMaterial(D3DMATERIAL8* material) override
    {
        if (!material) {
            return D3DERR_INVALIDCALL;
        }
        *material = m_material;
        return D3D_OK;
    }

    HRESULT SetLight(DWORD index, D3DLIGHT8 const* light) override
    {
        if (!light || index >= MaxLights || light->Type < D3DLIGHT_POINT ||
            light->Type > D3DLIGHT_DIRECTIONAL) {
            return D3DERR_INVALIDCALL;
        }
        m_lights[index] = *light;
        m_lightsDirty = true;
        return D3D_OK;
    }

    HRESULT LightEnable(DWORD index, BOOL enable) override
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

    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override
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

    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override
    {
        if (!value || state >= m_renderStates.size()) {
            return D3DERR_INVALIDCALL;
        }
        *value = m_renderStates[state];
        return D3D_OK;
    }

    HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) override
    {
        if (stage >= MaxStages) {
            return D3DERR_INVALIDCALL;
        }
        HoldReference(m_textures[stage], texture);
        m_stageDirty[stage] = true;
        return D3D_OK;
    }

    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override
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

    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override
    {
        if (!value || stage >= MaxStages || type >= m_stageStates[0].size()) {
            return D3DERR_INVALIDCALL;
        }
        *value = m_stageStates[stage][type];
        return D3D_OK;
    }

    HRESULT SetVertexShader(DWORD fvf) override
    {
        if (!(fvf & D3DFVF_XYZ)) {
            return D3DERR_INVALIDCALL;
        }
        m_fvf = fvf;
        m_materialDirty = true;
        return D3D_OK;
    }

    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, void const* vertexData,
                            UINT vertexStride) override
    {
        GLenum mode;
        GLsizei count;
        if (!vertexData || !GetPrimitive(type, primitiveCount, &mode, &count)) {
            return D3DERR_INVALIDCALL;
        }
        HRESULT result = PrepareDraw(vertexData, vertexStride, static_cast<UINT>(count));
        if (FAILED(result)) {
            return result;
        }
        glDrawArrays(mode, 0, count);
        return D3D_OK;
    }

    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT vertexCount,
                                   UINT primitiveCount, void const* indexData, D3DFORMAT indexFormat,
                                   void const* vertexData, UINT vertexStride) override
    {
        GLenum mode;
        GLsizei count;
        if (!vertexData || !indexData || !GetPrimitive(type, primitiveCount, &mode, &count) ||
            (indexFormat != D3DFMT_INDEX16 && indexFormat != D3DFMT_INDEX32)) {
            return D3DERR_INVALIDCALL;
        }
        HRESULT result = PrepareDraw(vertexData, vertexStride, minVertexIndex + vertexCount);
        if (FAILED(result)) {
            return result;
        }
        glDrawElements(mode, count, indexFormat == D3DFMT_INDEX16 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                       indexData);
        return D3D_OK;
    }

    HRESULT CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8** buffer) override
    {
        if (!buffer || length == 0) {
            return D3DERR_INVALIDCALL;
        }
        *buffer = nullptr;
        // Colours are read in place, so buffers need the BGRA vertex colour format.
        if (!m_bgraColors || !m_bufferObjects) {
            return D3DERR_NOTAVAILABLE;
        }
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        *buffer = new GLDirect3DVertexBuffer8(m_context, GL_ARRAY_BUFFER, length, D3DFMT_UNKNOWN);
        return D3D_OK;
    }

    HRESULT CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL,
                              IDirect3DIndexBuffer8** buffer) override
    {
        if (!buffer || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
            return D3DERR_INVALIDCALL;
        }
        *buffer = nullptr;
        if (!m_bufferObjects) {
            return D3DERR_NOTAVAILABLE;
        }
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        *buffer = new GLDirect3DIndexBuffer8(m_context, GL_ELEMENT_ARRAY_BUFFER, length, format);
        return D3D_OK;
    }

    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override
    {
        if (stream != 0) {
            return D3DERR_INVALIDCALL;
        }
        HoldReference(m_streamSource, buffer);
        m_streamStride = stride;
        return D3D_OK;
    }

    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override
    {
        HoldReference(m_indices, buffer);
        m_baseVertexIndex = baseVertexIndex;
        return D3D_OK;
    }

    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount) override
    {
        GLenum mode;
        GLsizei count;
        if (!m_streamSource || !m_indices || m_streamSource->IsLocked() || m_indices->IsLocked() ||
            vertexCount == 0 || !GetPrimitive(type, primitiveCount, &mode, &count)) {
            return D3DERR_INVALIDCALL;
        }
        std::uint64_t const indexSize = m_indices->GetFormat() == D3DFMT_INDEX16 ? 2 : 4;
        std::uint64_t const lastVertex = std::uint64_t(m_baseVertexIndex) + minIndex + vertexCount;
        if ((std::uint64_t(startIndex) + std::uint64_t(count)) * indexSize > m_indices->GetLength() ||
            lastVertex * m_streamStride > m_streamSource->GetLength()) {
            return D3DERR_INVALIDCALL;
        }
        glBindBuffer(GL_ARRAY_BUFFER, m_streamSource->GetName());
        auto const* base = reinterpret_cast<void const*>(std::uintptr_t(m_baseVertexIndex) * m_streamStride);
        HRESULT const result = PrepareDraw(base, m_streamStride, minIndex + vertexCount);
        if (SUCCEEDED(result)) {
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, m_indices->GetName());
            glDrawRangeElements(mode, minIndex, minIndex + vertexCount - 1, count,
                                indexSize == 2 ? GL_UNSIGNED_SHORT : GL_UNSIGNED_INT,
                                reinterpret_cast<void const*>(std::uintptr_t(startIndex * indexSize)));
            glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        }
        // Draws from user memory find no buffer bound.
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return result;
    }

private:
    std::array<int, 2> GetDrawableSize() const
    {
        std::array<int, 2> size = {0, 0};
        m_context->GetDrawableSize(&size[0], &size[1]);
        return size;
    }

    // Drawing into the kept copy, which is stored upside down to the window: the picture, the
    // viewport and scissor rectangles are turned over and front faces wind the other way.
    void SetDrawingTurned(bool turned)
    {
        if (turned == m_drawingTurned) {
            return;
        }
        m_drawingTurned = turned;
        glFrontFace(turned ? GL_CCW : GL_CW);
        ApplyViewport();
    }

    // Runs an operation on the kept back buffer with the context current; D3DERR_NOTAVAILABLE
    // when it fails.
    template <class Operation> HRESULT OnKeptBackBuffer(Operation operation)
    {
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        return operation() ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    // The back buffer is undefined after a swap and the front buffer is not readable on
    // every system: presented frames are copied aside for GetFrontBuffer.
    void KeepPresentedFrame()
    {
        int width = 0;
        int height = 0;
        m_context->GetDrawableSize(&width, &height);
        if (width <= 0 || height <= 0) {
            return;
        }
        glActiveTexture(GL_TEXTURE0);
        if (m_presentedFrame == 0) {
            glGenTextures(1, &m_presentedFrame);
        }
        glBindTexture(GL_TEXTURE_2D, m_presentedFrame);
        if (UINT(width) != m_presentedWidth || UINT(height) != m_presentedHeight) {
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
            glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
            glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
            m_presentedWidth = UINT(width);
            m_presentedHeight = UINT(height);
        }
        glReadBuffer(GL_BACK);
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, width, height);
        m_boundUnitsDirty = true;
    }

    static bool GetPrimitive(D3DPRIMITIVETYPE type, UINT primitives, GLenum* mode, GLsizei* count)
    {
        if (primitives == 0 || primitives > 0x3FFFFFFF) {
            return false;
        }
        switch (type) {
        case D3DPT_POINTLIST:
            *mode = GL_POINTS;
            *count = GLsizei(primitives);
            return true;
        case D3DPT_LINELIST:
            *mode = GL_LINES;
            *count = GLsizei(primitives * 2);
            return true;
        case D3DPT_LINESTRIP:
            *mode = GL_LINE_STRIP;
            *count = GLsizei(primitives + 1);
            return true;
        case D3DPT_TRIANGLELIST:
            *mode = GL_TRIANGLES;
            *count = GLsizei(primitives * 3);
            return true;
        case D3DPT_TRIANGLESTRIP:
            *mode = GL_TRIANGLE_STRIP;
            *count = GLsizei(primitives + 2);
            return true;
        case D3DPT_TRIANGLEFAN:
            *mode = GL_TRIANGLE_FAN;
            *count = GLsizei(primitives + 2);
            return true;
        default:
            return false;
        }
    }

    void QueryLimits()
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
        m_keptBackBuffer.SetAvailable((version && std::atoi(version) >= 3) ||
                                      (extensions && std::strstr(extensions, "GL_ARB_framebuffer_object")));
        char const* renderer = reinterpret_cast<char const*>(glGetString(GL_RENDERER));
        m_softwareRasteriser =
            renderer && (std::strstr(renderer, "llvmpipe") || std::strstr(renderer, "softpipe") ||
                         std::strstr(renderer, "swrast"));
    }

    void InitialiseStates()
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
        for (DWORD state :
             {D3DRS_ZENABLE, D3DRS_FILLMODE, D3DRS_SHADEMODE, D3DRS_ZWRITEENABLE, D3DRS_ALPHATESTENABLE,
              D3DRS_SRCBLEND, D3DRS_CULLMODE, D3DRS_ZFUNC, D3DRS_ALPHAFUNC, D3DRS_DITHERENABLE,
              D3DRS_ALPHABLENDENABLE, D3DRS_LIGHTING, D3DRS_AMBIENT, D3DRS_LOCALVIEWER,
              D3DRS_NORMALIZENORMALS, D3DRS_ZBIAS, D3DRS_BLENDOP}) {
            ApplyRenderState(state);
        }
        m_modelViewDirty = m_projectionDirty = m_lightsDirty = m_materialDirty = true;
    }

    void ApplyPresentParameters()
    {
        m_context->MakeCurrent();
        int interval = 0;
        if (!m_parameters.Windowed &&
            m_parameters.FullScreen_PresentationInterval == D3DPRESENT_INTERVAL_ONE) {
            interval = 1;
        }
        m_context->SetSwapInterval(interval);
        m_viewport = {0, 0, m_parameters.BackBufferWidth, m_parameters.BackBufferHeight, 0.0f, 1.0f};
        ApplyViewport();
    }

    // The back buffer is the window's drawable, stretched to it when the sizes differ.
    void GetDrawableScale(float* scaleX, float* scaleY, int* drawableHeight) const
    {
        int width = 0;
        int height = 0;
        m_context->GetDrawableSize(&width, &height);
        *scaleX = m_parameters.BackBufferWidth ? float(width) / float(m_parameters.BackBufferWidth) : 1.0f;
        *scaleY = m_parameters.BackBufferHeight ? float(height) / float(m_parameters.BackBufferHeight) : 1.0f;
        *drawableHeight = height;
    }

    void ScissorTo(DWORD x, DWORD y, DWORD width, DWORD height) const
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

    void ApplyViewport()
    {
        float scaleX, scaleY;
        int drawableHeight;
        GetDrawableScale(&scaleX, &scaleY, &drawableHeight);
        int left = int(std::lround(m_viewport.X * scaleX));
        int right = int(std::lround((m_viewport.X + m_viewport.Width) * scaleX));
        int top = int(std::lround(m_viewport.Y * scaleY));
        int bottom = int(std::lround((m_viewport.Y + m_viewport.Height) * scaleY));
        glViewport(left, m_drawingTurned ? top : drawableHeight - bottom, right - left, bottom - top);
        m_context->GetDrawableSize(&m_viewportDrawableWidth, &m_viewportDrawableHeight);
        glDepthRange(m_viewport.MinZ, m_viewport.MaxZ);
        m_projectionDirty = true;
    }

    void ApplyRenderState(DWORD state)
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
            glBlendFunc(ToGLBlend(m_renderStates[D3DRS_SRCBLEND]),
                        ToGLBlend(m_renderStates[D3DRS_DESTBLEND]));
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

    void ApplyMaterial()
    {
        SMaterialColourSources sources;
        bool const vertexColor = m_renderStates[D3DRS_COLORVERTEX] && (m_fvf & D3DFVF_DIFFUSE);
        sources.diffuse = vertexColor && m_renderStates[D3DRS_DIFFUSEMATERIALSOURCE] == D3DMCS_COLOR1;
        sources.ambient = vertexColor && m_renderStates[D3DRS_AMBIENTMATERIALSOURCE] == D3DMCS_COLOR1;
        sources.emissive = vertexColor && m_renderStates[D3DRS_EMISSIVEMATERIALSOURCE] == D3DMCS_COLOR1;
        ApplyGLMaterial(m_material, m_renderStates[D3DRS_SPECULARENABLE] != 0, sources);
    }

    void ApplyLights()
    {
        ApplyGLLights(m_view, m_lights.data(), m_lightEnabled.data(), MaxLights);
        m_modelViewDirty = true;
    }

    void ApplyProjection()
    {
        // Device clip space has z in 0..w and pixel centres on integers; GL has -w..w and
        // centres on halves: z' = 2z - w, and a half-pixel shift right and down.
        D3DMATRIX adjust = Identity();
        adjust._33 = 2.0f;
        adjust._43 = -1.0f;
        adjust._41 = 1.0f / float(m_viewport.Width);
        adjust._42 = -1.0f / float(m_viewport.Height);
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

    void ApplySampler(unsigned int stage, GLDirect3DTexture8* texture)
    {
        SSamplerLimits limits;
        limits.softwareRasteriser = m_softwareRasteriser;
        limits.maxAnisotropy = m_maxAnisotropy;
        ApplyGLSampler(m_stageStates[stage], limits, texture);
    }

    void ApplyStages()
    {
        bool disabled = false;
        for (unsigned int stage = 0; stage < m_units; ++stage) {
            auto const& states = m_stageStates[stage];
            disabled = disabled || states[D3DTSS_COLOROP] == D3DTOP_DISABLE;
            auto* texture = static_cast<GLDirect3DTexture8*>(m_textures[stage]);
            bool dirty =
                m_stageDirty[stage] || m_boundUnitsDirty || (texture && texture->appliedSampler[0] < 0);
            if (!dirty) {
                continue;
            }
            m_stageDirty[stage] = false;
            glActiveTexture(GL_TEXTURE0 + stage);
            if (disabled || !texture) {
                // A stage without a texture passes the current colour on.
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

            glMatrixMode(GL_TEXTURE);
            if (states[D3DTSS_TEXTURETRANSFORMFLAGS] & 0xFF) {
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

    HRESULT PrepareDraw(void const* vertexData, UINT stride, UINT vertexCount)
    {
        if (!m_inScene) {
            return D3DERR_INVALIDCALL;
        }
        if (!m_context->MakeCurrent()) {
            return D3DERR_DEVICELOST;
        }
        SVertexLayout const layout = GetVertexLayout(m_fvf);
        if (stride < layout.size) {
            return D3DERR_INVALIDCALL;
        }

        if (m_materialDirty) {
            ApplyMaterial();
            m_materialDirty = false;
        }
        if (m_projectionDirty) {
            ApplyProjection();
            m_projectionDirty = false;
        }
        if (m_lightsDirty) {
            ApplyLights();
            m_lightsDirty = false;
        }
        if (m_modelViewDirty) {
            glMatrixMode(GL_MODELVIEW);
            glLoadMatrixf(&m_view._11);
            glMultMatrixf(&m_world._11);
            m_modelViewDirty = false;
        }
        ApplyStages();

        std::array<int, MaxStages> texCoordSets;
        for (unsigned int stage = 0; stage < m_units; ++stage) {
            texCoordSets[stage] = m_textures[stage]
                                      ? int(m_stageStates[stage][D3DTSS_TEXCOORDINDEX] & TexCoordIndexMask)
                                      : GLVertexArrays::NoTexCoords;
        }
        m_vertexArrays.Bind(static_cast<unsigned char const*>(vertexData), stride, vertexCount, layout,
                            texCoordSets.data(), m_units);
        return D3D_OK;
    }

    IDirect3D8* m_runtime;
    UINT m_adapter;
    std::shared_ptr<GLContext> m_context;
    D3DPRESENT_PARAMETERS m_parameters;
    UINT m_maxTextureSize = 2048;
    UINT m_units = 1;
    UINT m_maxAnisotropy = 1;
    bool m_bgraColors = false;
    bool m_bufferObjects = false;
    bool m_inScene = false;
    bool m_keepEveryFrame = true;
    bool m_keepNextFrame = false;

    std::array<DWORD, 256> m_renderStates = {};
    std::array<std::array<DWORD, 32>, MaxStages> m_stageStates = {};
    std::array<bool, MaxStages> m_stageDirty = {};
    std::array<IDirect3DTexture8*, MaxStages> m_textures = {};
    GLDirect3DVertexBuffer8* m_streamSource = nullptr;
    UINT m_streamStride = 0;
    GLDirect3DIndexBuffer8* m_indices = nullptr;
    UINT m_baseVertexIndex = 0;
    std::array<D3DMATRIX, MaxStages> m_textureMatrices = {};
    bool m_boundUnitsDirty = true;
    D3DMATRIX m_world = {};
    D3DMATRIX m_view = {};
    D3DMATRIX m_projection = {};
    D3DVIEWPORT8 m_viewport = {};
    D3DMATERIAL8 m_material = {};
    std::array<D3DLIGHT8, MaxLights> m_lights = {};
    std::array<bool, MaxLights> m_lightEnabled = {};
    DWORD m_fvf = D3DFVF_XYZ;
    bool m_modelViewDirty = true;
    bool m_projectionDirty = true;
    bool m_lightsDirty = true;
    bool m_materialDirty = true;
    GLVertexArrays m_vertexArrays;
    GLuint m_presentedFrame = 0;
    GLKeptBackBuffer m_keptBackBuffer;
    bool m_drawingTurned = false;
    bool m_softwareRasteriser = false;
    int m_viewportDrawableWidth = 0;
    int m_viewportDrawableHeight = 0;
    UINT m_presentedWidth = 0;
    UINT m_presentedHeight = 0;
};
} // namespace

IDirect3DDevice8* CreateGLDevice(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                                 D3DPRESENT_PARAMETERS const& parameters)
{
    return new GLDirect3DDevice8(runtime, adapter, std::move(context), parameters);
}
} // namespace platform
