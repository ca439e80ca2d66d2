#pragma once

// A scriptable stand-in for the device runtime: adapters with chosen modes, caps and
// failures, devices that keep the state they were sent, and a record of every call.
// Tests install it with Install(); Direct3DCreate8 then hands out this object.

#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/gl/Direct3D8.h"
#include "platform/gl/RefCounted.h"

class FakeDirect3D8;

class FakeDirect3DTexture8 : public IDirect3DTexture8
{
public:
    FakeDirect3DTexture8(unsigned int serial, UINT width, UINT height, UINT levels, D3DFORMAT format,
                         D3DPOOL pool);
    ~FakeDirect3DTexture8() override = default;

    unsigned long AddRef() override { return ++m_references; }
    unsigned long Release() override;

    DWORD GetLevelCount() override { return static_cast<DWORD>(m_levels.size()); }
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* description) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, RECT const* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;

    unsigned int GetSerial() const { return m_serial; }
    unsigned long GetReferences() const { return m_references; }
    std::vector<unsigned char> const& GetLevelData(UINT level) const { return m_levels[level].data; }
    bool IsLocked(UINT level) const { return m_levels[level].locked; }

private:
    struct SLevel
    {
        UINT width;
        UINT height;
        std::vector<unsigned char> data;
        bool locked = false;
    };

    unsigned int m_serial;
    unsigned long m_references = 1;
    D3DFORMAT m_format;
    D3DPOOL m_pool;
    UINT m_bytesPerPixel;
    std::vector<SLevel> m_levels;
};

// Vertex or index data kept in memory; each lock and unlock is recorded with the owner.
template <class Interface> class FakeDirect3DBuffer8 : public RefCounted<Interface>
{
public:
    FakeDirect3DBuffer8(FakeDirect3D8* owner, char const* kind, UINT length)
        : m_owner(owner), m_kind(kind), m_data(length)
    {}

    UINT GetLength() override { return static_cast<UINT>(m_data.size()); }
    HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) override;
    HRESULT Unlock() override;

    std::vector<unsigned char> const& GetData() const { return m_data; }
    bool IsLocked() const { return m_locked; }

private:
    FakeDirect3D8* m_owner;
    char const* m_kind;
    std::vector<unsigned char> m_data;
    bool m_locked = false;
};

using FakeDirect3DVertexBuffer8 = FakeDirect3DBuffer8<IDirect3DVertexBuffer8>;
using FakeDirect3DIndexBuffer8 = FakeDirect3DBuffer8<IDirect3DIndexBuffer8>;

class FakeDirect3DDevice8 : public IDirect3DDevice8
{
public:
    FakeDirect3DDevice8(FakeDirect3D8* owner, D3DCAPS8 const& caps, D3DPRESENT_PARAMETERS const& parameters);
    ~FakeDirect3DDevice8() override;

    unsigned long AddRef() override { return ++m_references; }
    unsigned long Release() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT GetDeviceCaps(D3DCAPS8* caps) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT Reset(D3DPRESENT_PARAMETERS* presentParameters) override;
    HRESULT Present(RECT const* sourceRect, RECT const* destRect, HWND destWindowOverride,
                    void const* dirtyRegion) override;
    HRESULT GetFrontBuffer(void* pixels, UINT pitch) override;
    HRESULT SetFrameKeeping(BOOL everyFrame) override;
    HRESULT KeepNextFrame() override;
    HRESULT BeginBackBufferKeeping(BOOL overKeptCopy) override;
    HRESULT KeepBackBuffer() override;
    HRESULT PrepareBackBufferKeeping() override;
    HRESULT BeginBackBufferTrial() override;
    HRESULT RestoreBackBuffer() override;
    HRESULT ReleaseKeptBackBuffer() override;
    HRESULT SetRenderScale(float scale) override;
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
    HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                               IDirect3DVertexBuffer8** buffer) override;
    HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DIndexBuffer8** buffer) override;
    HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) override;
    HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) override;
    HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount, UINT startIndex,
                                 UINT primitiveCount) override;

    // Device-kept buffers are refused (D3DERR_NOTAVAILABLE) unless a test turns them on.
    bool deviceBuffers = false;

    // Scripting: results TestCooperativeLevel returns in turn (D3D_OK once empty), and
    // failures by method name ("SetRenderState", "Reset", ...), returned until cleared.
    std::deque<HRESULT> cooperativeLevelResults;
    std::map<std::string, HRESULT> failures;

    // What the device holds now.
    D3DPRESENT_PARAMETERS presentParameters;
    std::map<DWORD, DWORD> renderStates;
    std::map<std::pair<DWORD, DWORD>, DWORD> stageStates;
    std::map<DWORD, D3DMATRIX> transforms;
    std::map<DWORD, IDirect3DTexture8*> textures;
    std::map<DWORD, D3DLIGHT8> lights;
    std::map<DWORD, bool> lightsEnabled;
    D3DMATERIAL8 material = {};
    D3DVIEWPORT8 viewport = {};
    DWORD vertexShader = 0;
    bool inScene = false;
    bool backBufferKept = false;      // until a Reset or ReleaseKeptBackBuffer
    bool drawingIntoKeptCopy = false; // from BeginBackBufferKeeping to KeepBackBuffer
    bool drawingTrial = false;        // from BeginBackBufferTrial to KeepBackBuffer
    IDirect3DVertexBuffer8* streamSource = nullptr;
    IDirect3DIndexBuffer8* indices = nullptr;

    unsigned long GetReferences() const { return m_references; }

private:
    HRESULT Record(std::string const& method, std::string const& arguments);

    FakeDirect3D8* m_owner;
    unsigned long m_references = 1;
    D3DCAPS8 m_caps;
};

class FakeDirect3D8 : public IDirect3D8
{
public:
    // One device type of an adapter.
    struct SDeviceType
    {
        bool present = true;
        D3DCAPS8 caps = {};
        std::set<D3DFORMAT> rejectedFormats; // CheckDeviceType fails for these
        std::set<D3DFORMAT> depthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
        HRESULT createResult = D3D_OK; // what CreateDevice returns
    };

    struct SAdapter
    {
        D3DADAPTER_IDENTIFIER8 identifier = {};
        D3DDISPLAYMODE desktopMode = {};
        std::vector<D3DDISPLAYMODE> modes;
        SDeviceType hal;
        SDeviceType ref;
    };

    FakeDirect3D8() = default;
    ~FakeDirect3D8() override;
    FakeDirect3D8(FakeDirect3D8 const&) = delete;
    FakeDirect3D8& operator=(FakeDirect3D8 const&) = delete;

    // Capabilities of a capable hardware device: windowed rendering, hardware transform,
    // both presentation intervals, four texture units of 2048 x 2048, anisotropy 16.
    static D3DCAPS8 MakeCaps(D3DDEVTYPE type);
    // An adapter with the given desktop and mode list (the formats of the modes), both device types.
    static SAdapter MakeAdapter(D3DDISPLAYMODE const& desktop, std::vector<D3DDISPLAYMODE> const& modes);

    // Makes Direct3DCreate8 return this object (one more reference each time); Uninstall restores.
    void Install();
    void Uninstall();

    unsigned long AddRef() override { return ++m_references; }
    unsigned long Release() override { return --m_references; }

    UINT GetAdapterCount() override;
    HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) override;
    UINT GetAdapterModeCount(UINT adapter) override;
    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override;
    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override;
    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL windowed) override;
    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override;
    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                   D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) override;
    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override;
    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                         D3DPRESENT_PARAMETERS* presentParameters,
                         IDirect3DDevice8** returnedDevice) override;

    // Every call made to this object, its devices and textures, e.g. "SetRenderState(27,1)".
    std::vector<std::string> const& GetCalls() const { return m_calls; }
    void ClearCalls() { m_calls.clear(); }
    // Number of recorded calls equal to `call`, or starting with it when it ends in '(' or ','.
    unsigned int CountCalls(std::string const& call) const;
    void RecordCall(std::string const& call) { m_calls.push_back(call); }

    // The last device created (null before the first); it stays readable after the
    // engine released it.
    FakeDirect3DDevice8* GetDevice() const { return m_devices.empty() ? nullptr : m_devices.back(); }
    unsigned int NextTextureSerial() { return ++m_textureSerial; }
    unsigned long GetReferences() const { return m_references; }

    std::vector<SAdapter> adapters;

private:
    SDeviceType* FindDeviceType(UINT adapter, D3DDEVTYPE type);

    unsigned long m_references = 1;
    unsigned int m_textureSerial = 0;
    std::vector<std::string> m_calls;
    std::vector<FakeDirect3DDevice8*> m_devices;
};
