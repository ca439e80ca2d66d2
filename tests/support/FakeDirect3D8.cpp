#include "support/FakeDirect3D8.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace
{
std::string Arguments(std::initializer_list<unsigned long long> values)
{
    std::string text;
    for (unsigned long long value : values) {
        if (!text.empty()) {
            text += ',';
        }
        text += std::to_string(value);
    }
    return text;
}

std::string TextureName(IDirect3DTexture8* texture)
{
    if (!texture) {
        return "0";
    }
    return "#" + std::to_string(static_cast<FakeDirect3DTexture8*>(texture)->GetSerial());
}

UINT BytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
        return 4;
    case D3DFMT_R8G8B8:
        return 3;
    case D3DFMT_A8:
    case D3DFMT_L8:
        return 1;
    default:
        return 2;
    }
}
} // namespace

// --- texture -----------------------------------------------------------------------------

FakeDirect3DTexture8::FakeDirect3DTexture8(unsigned int serial, UINT width, UINT height, UINT levels,
                                           D3DFORMAT format, D3DPOOL pool)
    : m_serial(serial), m_format(format), m_pool(pool), m_bytesPerPixel(BytesPerPixel(format))
{
    do {
        SLevel level{width, height,
                     std::vector<unsigned char>(std::size_t(width) * height * m_bytesPerPixel)};
        m_levels.push_back(std::move(level));
        if (width == 1 && height == 1) {
            break;
        }
        width = std::max(1u, width / 2);
        height = std::max(1u, height / 2);
    } while (levels == 0 || m_levels.size() < levels);
}

unsigned long FakeDirect3DTexture8::Release()
{
    unsigned long left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT FakeDirect3DTexture8::GetLevelDesc(UINT level, D3DSURFACE_DESC* description)
{
    if (level >= m_levels.size() || !description) {
        return D3DERR_INVALIDCALL;
    }
    *description = {};
    description->Format = m_format;
    description->Type = D3DRTYPE_SURFACE;
    description->Pool = m_pool;
    description->Width = m_levels[level].width;
    description->Height = m_levels[level].height;
    description->Size = static_cast<UINT>(m_levels[level].data.size());
    return D3D_OK;
}

HRESULT FakeDirect3DTexture8::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, RECT const* rect, DWORD)
{
    if (level >= m_levels.size() || !lockedRect || m_levels[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    SLevel& target = m_levels[level];
    std::size_t offset = 0;
    if (rect) {
        offset = (std::size_t(rect->top) * target.width + rect->left) * m_bytesPerPixel;
    }
    target.locked = true;
    lockedRect->Pitch = static_cast<std::int32_t>(target.width * m_bytesPerPixel);
    lockedRect->pBits = target.data.data() + offset;
    return D3D_OK;
}

HRESULT FakeDirect3DTexture8::UnlockRect(UINT level)
{
    if (level >= m_levels.size() || !m_levels[level].locked) {
        return D3DERR_INVALIDCALL;
    }
    m_levels[level].locked = false;
    return D3D_OK;
}

// --- device ------------------------------------------------------------------------------

FakeDirect3DDevice8::FakeDirect3DDevice8(FakeDirect3D8* owner, D3DCAPS8 const& caps,
                                         D3DPRESENT_PARAMETERS const& parameters)
    : presentParameters(parameters), m_owner(owner), m_caps(caps)
{}

FakeDirect3DDevice8::~FakeDirect3DDevice8()
{
    for (auto& [stage, texture] : textures) {
        if (texture) {
            texture->Release();
        }
    }
}

unsigned long FakeDirect3DDevice8::Release()
{
    // The owning fake keeps one reference so that tests can read the record afterwards.
    unsigned long left = --m_references;
    if (left == 0) {
        delete this;
    }
    return left;
}

HRESULT FakeDirect3DDevice8::Record(std::string const& method, std::string const& arguments)
{
    m_owner->RecordCall(method + "(" + arguments + ")");
    auto failure = failures.find(method);
    return failure == failures.end() ? D3D_OK : failure->second;
}

HRESULT FakeDirect3DDevice8::TestCooperativeLevel()
{
    HRESULT result = Record("TestCooperativeLevel", "");
    if (FAILED(result)) {
        return result;
    }
    if (cooperativeLevelResults.empty()) {
        return D3D_OK;
    }
    result = cooperativeLevelResults.front();
    cooperativeLevelResults.pop_front();
    return result;
}

HRESULT FakeDirect3DDevice8::GetDeviceCaps(D3DCAPS8* caps)
{
    HRESULT result = Record("GetDeviceCaps", "");
    if (SUCCEEDED(result)) {
        *caps = m_caps;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    HRESULT result = Record("GetDisplayMode", "");
    if (SUCCEEDED(result)) {
        *mode = {presentParameters.BackBufferWidth, presentParameters.BackBufferHeight, 0,
                 presentParameters.BackBufferFormat};
    }
    return result;
}

HRESULT FakeDirect3DDevice8::Reset(D3DPRESENT_PARAMETERS* parameters)
{
    HRESULT result = Record("Reset", Arguments({parameters->BackBufferWidth, parameters->BackBufferHeight,
                                                parameters->BackBufferFormat,
                                                static_cast<unsigned long long>(parameters->Windowed)}));
    if (SUCCEEDED(result)) {
        presentParameters = *parameters;
        backBufferKept = false;
        drawingIntoKeptCopy = false;
        drawingTrial = false;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::Present(RECT const*, RECT const*, HWND, void const*)
{
    return Record("Present", "");
}

HRESULT FakeDirect3DDevice8::GetFrontBuffer(void* pixels, UINT pitch)
{
    HRESULT result = Record("GetFrontBuffer", "");
    if (SUCCEEDED(result)) {
        for (UINT y = 0; y < presentParameters.BackBufferHeight; ++y) {
            std::memset(static_cast<unsigned char*>(pixels) + std::size_t(y) * pitch, 0,
                        std::size_t(presentParameters.BackBufferWidth) * 4);
        }
    }
    return result;
}

HRESULT FakeDirect3DDevice8::SetFrameKeeping(BOOL everyFrame)
{
    return Record("SetFrameKeeping", Arguments({static_cast<unsigned long long>(everyFrame)}));
}

HRESULT FakeDirect3DDevice8::KeepNextFrame()
{
    return Record("KeepNextFrame", "");
}

HRESULT FakeDirect3DDevice8::BeginBackBufferKeeping(BOOL overKeptCopy)
{
    HRESULT result =
        Record("BeginBackBufferKeeping", Arguments({static_cast<unsigned long long>(overKeptCopy)}));
    if (SUCCEEDED(result) && overKeptCopy && !backBufferKept)
        result = D3DERR_NOTAVAILABLE;
    drawingIntoKeptCopy = SUCCEEDED(result);
    return result;
}

HRESULT FakeDirect3DDevice8::BeginBackBufferTrial()
{
    HRESULT const result = Record("BeginBackBufferTrial", "");
    drawingTrial = SUCCEEDED(result);
    return result;
}

HRESULT FakeDirect3DDevice8::KeepBackBuffer()
{
    HRESULT result = Record("KeepBackBuffer", "");
    if (SUCCEEDED(result) && drawingTrial) {
        // The trial copy is dropped: what was kept before is gone.
        drawingTrial = false;
        backBufferKept = false;
        return result;
    }
    if (SUCCEEDED(result) && !drawingIntoKeptCopy)
        result = D3DERR_NOTAVAILABLE;
    backBufferKept = SUCCEEDED(result);
    drawingIntoKeptCopy = false;
    return result;
}

HRESULT FakeDirect3DDevice8::PrepareBackBufferKeeping()
{
    return Record("PrepareBackBufferKeeping", "");
}

HRESULT FakeDirect3DDevice8::RestoreBackBuffer()
{
    HRESULT const result = Record("RestoreBackBuffer", "");
    return FAILED(result) || backBufferKept ? result : D3DERR_NOTAVAILABLE;
}

HRESULT FakeDirect3DDevice8::ReleaseKeptBackBuffer()
{
    backBufferKept = false;
    drawingIntoKeptCopy = false;
    drawingTrial = false;
    return Record("ReleaseKeptBackBuffer", "");
}

HRESULT FakeDirect3DDevice8::SetRenderScale(float scale)
{
    return Record("SetRenderScale", std::to_string(scale));
}

HRESULT FakeDirect3DDevice8::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                           D3DFORMAT format, D3DPOOL pool, IDirect3DTexture8** texture)
{
    HRESULT result = Record("CreateTexture", Arguments({width, height, levels, usage, format, pool}));
    if (FAILED(result)) {
        return result;
    }
    if (width == 0 || height == 0 || !texture) {
        return D3DERR_INVALIDCALL;
    }
    *texture = new FakeDirect3DTexture8(m_owner->NextTextureSerial(), width, height, levels, format, pool);
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::BeginScene()
{
    HRESULT result = Record("BeginScene", "");
    if (SUCCEEDED(result)) {
        inScene = true;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::EndScene()
{
    HRESULT result = Record("EndScene", "");
    if (SUCCEEDED(result)) {
        inScene = false;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::Clear(DWORD count, D3DRECT const*, DWORD flags, D3DCOLOR color, float z,
                                   DWORD stencil)
{
    char depth[32];
    std::snprintf(depth, sizeof depth, "%g", z);
    return Record("Clear", Arguments({count, flags, color}) + "," + depth + "," + std::to_string(stencil));
}

HRESULT FakeDirect3DDevice8::SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX const* matrix)
{
    HRESULT result = Record("SetTransform", Arguments({state}));
    if (SUCCEEDED(result)) {
        transforms[state] = *matrix;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix)
{
    auto found = transforms.find(state);
    if (found == transforms.end()) {
        *matrix = {};
        for (int i = 0; i < 4; ++i) {
            matrix->m[i][i] = 1.0f;
        }
    } else {
        *matrix = found->second;
    }
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::SetViewport(D3DVIEWPORT8 const* value)
{
    HRESULT result = Record("SetViewport", Arguments({value->X, value->Y, value->Width, value->Height}));
    if (SUCCEEDED(result)) {
        viewport = *value;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::GetViewport(D3DVIEWPORT8* value)
{
    *value = viewport;
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::SetMaterial(D3DMATERIAL8 const* value)
{
    HRESULT result = Record("SetMaterial", "");
    if (SUCCEEDED(result)) {
        material = *value;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::GetMaterial(D3DMATERIAL8* value)
{
    *value = material;
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::SetLight(DWORD index, D3DLIGHT8 const* light)
{
    HRESULT result = Record("SetLight", Arguments({index, light->Type}));
    if (SUCCEEDED(result)) {
        lights[index] = *light;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::LightEnable(DWORD index, BOOL enable)
{
    HRESULT result = Record("LightEnable", Arguments({index, enable ? 1u : 0u}));
    if (SUCCEEDED(result)) {
        lightsEnabled[index] = enable != 0;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    HRESULT result = Record("SetRenderState", Arguments({state, value}));
    if (SUCCEEDED(result)) {
        renderStates[state] = value;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    auto found = renderStates.find(state);
    *value = found == renderStates.end() ? 0 : found->second;
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::SetTexture(DWORD stage, IDirect3DTexture8* texture)
{
    HRESULT result = Record("SetTexture", std::to_string(stage) + "," + TextureName(texture));
    if (SUCCEEDED(result)) {
        if (texture) {
            texture->AddRef();
        }
        IDirect3DTexture8*& slot = textures[stage];
        if (slot) {
            slot->Release();
        }
        slot = texture;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    HRESULT result = Record("SetTextureStageState", Arguments({stage, type, value}));
    if (SUCCEEDED(result)) {
        stageStates[{stage, type}] = value;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    auto found = stageStates.find({stage, type});
    *value = found == stageStates.end() ? 0 : found->second;
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::SetVertexShader(DWORD fvf)
{
    HRESULT result = Record("SetVertexShader", Arguments({fvf}));
    if (SUCCEEDED(result)) {
        vertexShader = fvf;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, void const*,
                                             UINT vertexStride)
{
    return Record("DrawPrimitiveUP", Arguments({type, primitiveCount, vertexStride}));
}

HRESULT FakeDirect3DDevice8::DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex,
                                                    UINT vertexCount, UINT primitiveCount, void const*,
                                                    D3DFORMAT indexFormat, void const*, UINT vertexStride)
{
    return Record("DrawIndexedPrimitiveUP",
                  Arguments({type, minVertexIndex, vertexCount, primitiveCount, indexFormat, vertexStride}));
}

HRESULT FakeDirect3DDevice8::CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                                IDirect3DVertexBuffer8** buffer)
{
    HRESULT const result = Record("CreateVertexBuffer", Arguments({length, usage, fvf, pool}));
    if (FAILED(result)) {
        return result;
    }
    if (!buffer || length == 0) {
        return D3DERR_INVALIDCALL;
    }
    if (!deviceBuffers) {
        return D3DERR_NOTAVAILABLE;
    }
    *buffer = new FakeDirect3DVertexBuffer8(m_owner, "VertexBuffer", length);
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                               IDirect3DIndexBuffer8** buffer)
{
    HRESULT const result = Record("CreateIndexBuffer", Arguments({length, usage, format, pool}));
    if (FAILED(result)) {
        return result;
    }
    if (!buffer || length == 0 || (format != D3DFMT_INDEX16 && format != D3DFMT_INDEX32)) {
        return D3DERR_INVALIDCALL;
    }
    if (!deviceBuffers) {
        return D3DERR_NOTAVAILABLE;
    }
    *buffer = new FakeDirect3DIndexBuffer8(m_owner, "IndexBuffer", length);
    return D3D_OK;
}

HRESULT FakeDirect3DDevice8::SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride)
{
    HRESULT const result = Record("SetStreamSource", Arguments({stream, stride}));
    if (SUCCEEDED(result) && stream == 0) {
        streamSource = buffer;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex)
{
    HRESULT const result = Record("SetIndices", Arguments({baseVertexIndex}));
    if (SUCCEEDED(result)) {
        indices = buffer;
    }
    return result;
}

HRESULT FakeDirect3DDevice8::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                                  UINT startIndex, UINT primitiveCount)
{
    HRESULT const result =
        Record("DrawIndexedPrimitive", Arguments({type, minIndex, vertexCount, startIndex, primitiveCount}));
    if (SUCCEEDED(result) && (!streamSource || !indices)) {
        return D3DERR_INVALIDCALL;
    }
    return result;
}

template <class Interface>
HRESULT FakeDirect3DBuffer8<Interface>::Lock(UINT offset, UINT size, BYTE** data, DWORD flags)
{
    m_owner->RecordCall(std::string(m_kind) + "::Lock(" + Arguments({offset, size, flags}) + ")");
    if (size == 0 && offset <= m_data.size()) {
        size = static_cast<UINT>(m_data.size()) - offset;
    }
    if (!data || m_locked || offset > m_data.size() || size > m_data.size() - offset) {
        return D3DERR_INVALIDCALL;
    }
    m_locked = true;
    *data = m_data.data() + offset;
    return D3D_OK;
}

template <class Interface> HRESULT FakeDirect3DBuffer8<Interface>::Unlock()
{
    m_owner->RecordCall(std::string(m_kind) + "::Unlock()");
    if (!m_locked) {
        return D3DERR_INVALIDCALL;
    }
    m_locked = false;
    return D3D_OK;
}

template class FakeDirect3DBuffer8<IDirect3DVertexBuffer8>;
template class FakeDirect3DBuffer8<IDirect3DIndexBuffer8>;

// --- runtime -----------------------------------------------------------------------------

FakeDirect3D8::~FakeDirect3D8()
{
    Uninstall();
    for (FakeDirect3DDevice8* device : m_devices) {
        device->Release();
    }
}

D3DCAPS8 FakeDirect3D8::MakeCaps(D3DDEVTYPE type)
{
    D3DCAPS8 caps = {};
    caps.DeviceType = type;
    caps.Caps2 = D3DCAPS2_CANRENDERWINDOWED;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
    caps.DevCaps = type == D3DDEVTYPE_HAL ? D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_PUREDEVICE : 0;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
    caps.MaxTextureWidth = 2048;
    caps.MaxTextureHeight = 2048;
    caps.MaxAnisotropy = 16;
    caps.MaxTextureBlendStages = 4;
    caps.MaxSimultaneousTextures = 4;
    caps.MaxActiveLights = 8;
    return caps;
}

FakeDirect3D8::SAdapter FakeDirect3D8::MakeAdapter(D3DDISPLAYMODE const& desktop,
                                                   std::vector<D3DDISPLAYMODE> const& modes)
{
    SAdapter adapter;
    std::snprintf(adapter.identifier.Driver, sizeof adapter.identifier.Driver, "fake.so");
    std::snprintf(adapter.identifier.Description, sizeof adapter.identifier.Description, "Fake adapter");
    adapter.identifier.DriverVersion = (std::uint64_t(1) << 48) | (std::uint64_t(2) << 32) | (3u << 16) | 4u;
    adapter.desktopMode = desktop;
    adapter.modes = modes;
    adapter.hal.caps = MakeCaps(D3DDEVTYPE_HAL);
    adapter.ref.caps = MakeCaps(D3DDEVTYPE_REF);
    return adapter;
}

namespace
{
IDirect3D8* CreateInstalledFake(void* context)
{
    auto* fake = static_cast<FakeDirect3D8*>(context);
    fake->RecordCall("Direct3DCreate8()");
    fake->AddRef();
    return fake;
}
} // namespace

void FakeDirect3D8::Install()
{
    platform::SetDirect3DFactory(&CreateInstalledFake, this);
}

void FakeDirect3D8::Uninstall()
{
    platform::SetDirect3DFactory(nullptr, nullptr);
}

unsigned int FakeDirect3D8::CountCalls(std::string const& call) const
{
    bool prefix = !call.empty() && (call.back() == '(' || call.back() == ',');
    return static_cast<unsigned int>(std::count_if(m_calls.begin(), m_calls.end(), [&](std::string const& c) {
        return prefix ? c.compare(0, call.size(), call) == 0 : c == call;
    }));
}

FakeDirect3D8::SDeviceType* FakeDirect3D8::FindDeviceType(UINT adapter, D3DDEVTYPE type)
{
    if (adapter >= adapters.size()) {
        return nullptr;
    }
    SDeviceType* device = type == D3DDEVTYPE_HAL   ? &adapters[adapter].hal
                          : type == D3DDEVTYPE_REF ? &adapters[adapter].ref
                                                   : nullptr;
    return device && device->present ? device : nullptr;
}

UINT FakeDirect3D8::GetAdapterCount()
{
    return static_cast<UINT>(adapters.size());
}

HRESULT FakeDirect3D8::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier)
{
    if (adapter >= adapters.size()) {
        return D3DERR_INVALIDCALL;
    }
    *identifier = adapters[adapter].identifier;
    return D3D_OK;
}

UINT FakeDirect3D8::GetAdapterModeCount(UINT adapter)
{
    return adapter < adapters.size() ? static_cast<UINT>(adapters[adapter].modes.size()) : 0;
}

HRESULT FakeDirect3D8::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (adapter >= adapters.size() || mode >= adapters[adapter].modes.size()) {
        return D3DERR_INVALIDCALL;
    }
    *displayMode = adapters[adapter].modes[mode];
    return D3D_OK;
}

HRESULT FakeDirect3D8::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode)
{
    if (adapter >= adapters.size()) {
        return D3DERR_INVALIDCALL;
    }
    *displayMode = adapters[adapter].desktopMode;
    return D3D_OK;
}

HRESULT FakeDirect3D8::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT,
                                       BOOL)
{
    SDeviceType* device = FindDeviceType(adapter, type);
    if (!device || device->rejectedFormats.count(displayFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT FakeDirect3D8::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD, D3DRESOURCETYPE,
                                         D3DFORMAT checkFormat)
{
    SDeviceType* device = FindDeviceType(adapter, type);
    if (!device || !device->depthFormats.count(checkFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT FakeDirect3D8::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                              D3DFORMAT depthStencilFormat)
{
    SDeviceType* device = FindDeviceType(adapter, type);
    if (!device || !device->depthFormats.count(depthStencilFormat)) {
        return D3DERR_NOTAVAILABLE;
    }
    return D3D_OK;
}

HRESULT FakeDirect3D8::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps)
{
    SDeviceType* device = FindDeviceType(adapter, type);
    if (!device) {
        return D3DERR_NOTAVAILABLE;
    }
    *caps = device->caps;
    caps->AdapterOrdinal = adapter;
    return D3D_OK;
}

HRESULT FakeDirect3D8::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND, DWORD behaviourFlags,
                                    D3DPRESENT_PARAMETERS* presentParameters,
                                    IDirect3DDevice8** returnedDevice)
{
    RecordCall("CreateDevice(" +
               Arguments({adapter, type, behaviourFlags, presentParameters->BackBufferWidth,
                          presentParameters->BackBufferHeight, presentParameters->BackBufferFormat,
                          static_cast<unsigned long long>(presentParameters->Windowed)}) +
               ")");
    SDeviceType* device = FindDeviceType(adapter, type);
    if (!device) {
        return D3DERR_NOTAVAILABLE;
    }
    if (FAILED(device->createResult)) {
        return device->createResult;
    }
    D3DCAPS8 caps = device->caps;
    caps.AdapterOrdinal = adapter;
    auto* created = new FakeDirect3DDevice8(this, caps, *presentParameters);
    created->AddRef(); // kept for the record
    m_devices.push_back(created);
    *returnedDevice = created;
    return D3D_OK;
}
