#pragma once

#include "platform/gl/Direct3D8.h"
#include "platform/gl/GLBuffer.h"
#include "platform/gl/GLKeptBackBuffer.h"
#include "platform/gl/GLScaledFrame.h"
#include "platform/gl/GLTexture.h"
#include "platform/gl/GLVertexArrays.h"
#include "platform/gl/OpenGL.h"
#include "platform/gl/RefCounted.h"
#include "platform/window/GLContext.h"

#include <array>
#include <memory>

// The device on OpenGL fixed function: it draws through a context made on its window.
// Its calls are defined by concern: GLDevice.cpp (creation, caps, scenes, presenting),
// GLDeviceFrames.cpp (kept frames, back buffers and the scaled frame), GLDeviceStates.cpp (transforms,
// viewport, lights, render states), GLDeviceTextures.cpp and GLDeviceDrawing.cpp (buffers and draws).
namespace platform
{
constexpr unsigned int MaxStages = 8;
constexpr unsigned int MaxLights = 8;
// A stage's coordinate set is the low word of its index state (the high word asks for
// generated coordinates).
constexpr DWORD TexCoordIndexMask = 0xFFFF;

class GLDirect3DDevice8 : public RefCounted<IDirect3DDevice8>
{
public:
    GLDirect3DDevice8(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                      D3DPRESENT_PARAMETERS const& parameters);
    ~GLDirect3DDevice8() override;
    HRESULT TestCooperativeLevel() override { return D3D_OK; }

    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* parameters) override;
    HRESULT Present(RECT const*, RECT const*, HWND, void const*) override;
    HRESULT SetFrameKeeping(BOOL everyFrame) override;
    HRESULT KeepNextFrame() override;
    HRESULT BeginBackBufferKeeping(BOOL overKeptCopy) override;
    HRESULT BeginBackBufferTrial() override;
    HRESULT KeepBackBuffer() override;
    HRESULT PrepareBackBufferKeeping() override;
    HRESULT RestoreBackBuffer() override;
    HRESULT ReleaseKeptBackBuffer() override;
    HRESULT SetRenderScale(float scale) override;
    HRESULT GetFrontBuffer(void* pixels, UINT pitch) override;
    HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DTexture8** texture) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Clear(DWORD count, D3DRECT const* rects, DWORD flags, D3DCOLOR color, float z,
                  DWORD stencil) override;
    HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX const* matrix) override;
    HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override;
    HRESULT SetViewport(D3DVIEWPORT8 const* viewport) override;
    HRESULT GetViewport(D3DVIEWPORT8* viewport) override;
    HRESULT SetMaterial(D3DMATERIAL8 const* material) override;
    HRESULT GetMaterial(D3DMATERIAL8* material) override;
    HRESULT SetLight(DWORD index, D3DLIGHT8 const* light) override;
    HRESULT LightEnable(DWORD index, BOOL enable) override;
    HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) override;
    HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) override;
    HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) override;
    HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) override;
    HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) override;
    HRESULT SetVertexShader(DWORD fvf) override;
    HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, void const* vertexData,
                            UINT vertexStride) override;
    HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT vertexCount,
                                   UINT primitiveCount, void const* indexData, D3DFORMAT indexFormat,
                                   void const* vertexData, UINT vertexStride) override;
    HRESULT CreateVertexBuffer(UINT length, DWORD, DWORD, D3DPOOL, IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, D3DPOOL,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount) override;

private:
    std::array<int, 2> GetDrawableSize() const;
    // The size drawn: the drawable's, or the scaled frame's while frames are drawn smaller.
    std::array<int, 2> GetTargetSize() const;
    // Binds the frame drawn next: the scaled frame (fitted to the drawable) or the window.
    void BindFrameTarget();

    // Drawing into the kept copy, which is stored upside down to the window: the picture, the
    // viewport and scissor rectangles are turned over and front faces wind the other way.
    void SetDrawingTurned(bool turned);

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
    void KeepPresentedFrame();
    static bool GetPrimitive(D3DPRIMITIVETYPE type, UINT primitives, GLenum* mode, GLsizei* count);
    void QueryLimits();
    void InitialiseStates();
    void ApplyPresentParameters();

    // The back buffer is the window's drawable, stretched to it when the sizes differ.
    void GetDrawableScale(float* scaleX, float* scaleY, int* drawableHeight) const;
    void ScissorTo(DWORD x, DWORD y, DWORD width, DWORD height) const;
    void ApplyViewport();
    void ApplyRenderState(DWORD state);
    void ApplyMaterial();
    void ApplyLights();
    void ApplyProjection();
    void ApplySampler(unsigned int stage, GLDirect3DTexture8* texture);
    void ApplyStages();
    // Texture coordinates of the active unit from the camera-space position, or from the vertex.
    void ApplyCoordinateGeneration(bool cameraSpace);
    HRESULT PrepareDraw(void const* vertexData, UINT stride, UINT vertexCount);
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
    GLScaledFrame m_scaledFrame;
    float m_renderScale = 1.0f;
    bool m_frameScaled = false;
    std::array<int, 2> m_scaledSize = {0, 0};
    bool m_drawingTurned = false;
    bool m_softwareRasteriser = false;
    std::array<int, 2> m_viewportPixels = {1, 1}; // the viewport's size in the target drawn
    int m_viewportDrawableWidth = 0;
    int m_viewportDrawableHeight = 0;
    UINT m_presentedWidth = 0;
    UINT m_presentedHeight = 0;
};

// The device takes the context (current on this thread) and holds a reference on the runtime.
IDirect3DDevice8* CreateGLDevice(IDirect3D8* runtime, UINT adapter, std::shared_ptr<GLContext> context,
                                 D3DPRESENT_PARAMETERS const& parameters);
} // namespace platform
