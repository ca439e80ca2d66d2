#pragma once

// The device interface the renderer draws through: the fixed-function subset of a
// Direct3D 8 style API (adapters, modes, caps, device, states, transforms, lights,
// textures, user-pointer draws). Direct3DCreate8() returns the OpenGL implementation
// unless a factory was installed (tests install the fake).

#include <cstdint>

#include "platform/gl/D3DMatrix.h"
#include "platform/window/WindowHandle.h"

using HRESULT = std::int32_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using BYTE = std::uint8_t;
using BOOL = int;
using D3DCOLOR = std::uint32_t;

constexpr bool SUCCEEDED(HRESULT result)
{
    return result >= 0;
}
constexpr bool FAILED(HRESULT result)
{
    return result < 0;
}

constexpr HRESULT D3D_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT D3DERR_WRONGTEXTUREFORMAT = static_cast<HRESULT>(0x88760818u);
constexpr HRESULT D3DERR_UNSUPPORTEDCOLOROPERATION = static_cast<HRESULT>(0x88760819u);
constexpr HRESULT D3DERR_UNSUPPORTEDALPHAOPERATION = static_cast<HRESULT>(0x8876081Du);
constexpr HRESULT D3DERR_TOOMANYOPERATIONS = static_cast<HRESULT>(0x88760821u);
constexpr HRESULT D3DERR_CONFLICTINGRENDERSTATE = static_cast<HRESULT>(0x88760822u);
constexpr HRESULT D3DERR_UNSUPPORTEDTEXTUREFILTER = static_cast<HRESULT>(0x88760823u);
constexpr HRESULT D3DERR_DRIVERINTERNALERROR = static_cast<HRESULT>(0x88760827u);
constexpr HRESULT D3DERR_NOTFOUND = static_cast<HRESULT>(0x88760866u);
constexpr HRESULT D3DERR_MOREDATA = static_cast<HRESULT>(0x88760867u);
constexpr HRESULT D3DERR_DEVICELOST = static_cast<HRESULT>(0x88760868u);
constexpr HRESULT D3DERR_DEVICENOTRESET = static_cast<HRESULT>(0x88760869u);
constexpr HRESULT D3DERR_NOTAVAILABLE = static_cast<HRESULT>(0x8876086Au);
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = static_cast<HRESULT>(0x8876017Cu);
constexpr HRESULT D3DERR_INVALIDDEVICE = static_cast<HRESULT>(0x8876086Bu);
constexpr HRESULT D3DERR_INVALIDCALL = static_cast<HRESULT>(0x8876086Cu);

// The symbolic name of a result code ("D3DERR_DEVICELOST"; "Unknown" for others).
char const* GetDirect3DErrorName(HRESULT result);

constexpr UINT D3D_SDK_VERSION = 120;
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr DWORD D3DENUM_NO_WHQL_LEVEL = 0x00000002;

enum D3DFORMAT : std::uint32_t
{
    D3DFMT_UNKNOWN = 0,
    D3DFMT_R8G8B8 = 20,
    D3DFMT_A8R8G8B8 = 21,
    D3DFMT_X8R8G8B8 = 22,
    D3DFMT_R5G6B5 = 23,
    D3DFMT_X1R5G5B5 = 24,
    D3DFMT_A1R5G5B5 = 25,
    D3DFMT_A4R4G4B4 = 26,
    D3DFMT_A8 = 28,
    D3DFMT_L8 = 50,
    D3DFMT_D16_LOCKABLE = 70,
    D3DFMT_D32 = 71,
    D3DFMT_D15S1 = 73,
    D3DFMT_D24S8 = 75,
    D3DFMT_D16 = 80,
    D3DFMT_D24X8 = 77,
    D3DFMT_D24X4S4 = 79,
    D3DFMT_INDEX16 = 101,
    D3DFMT_INDEX32 = 102,
};

enum D3DDEVTYPE : std::uint32_t
{
    D3DDEVTYPE_HAL = 1,
    D3DDEVTYPE_REF = 2,
    D3DDEVTYPE_SW = 3,
};

enum D3DRESOURCETYPE : std::uint32_t
{
    D3DRTYPE_SURFACE = 1,
    D3DRTYPE_VOLUME = 2,
    D3DRTYPE_TEXTURE = 3,
};

enum D3DPOOL : std::uint32_t
{
    D3DPOOL_DEFAULT = 0,
    D3DPOOL_MANAGED = 1,
    D3DPOOL_SYSTEMMEM = 2,
};

enum D3DMULTISAMPLE_TYPE : std::uint32_t
{
    D3DMULTISAMPLE_NONE = 0,
};

enum D3DSWAPEFFECT : std::uint32_t
{
    D3DSWAPEFFECT_DISCARD = 1,
    D3DSWAPEFFECT_FLIP = 2,
    D3DSWAPEFFECT_COPY = 3,
    D3DSWAPEFFECT_COPY_VSYNC = 4,
};

enum D3DPRIMITIVETYPE : std::uint32_t
{
    D3DPT_POINTLIST = 1,
    D3DPT_LINELIST = 2,
    D3DPT_LINESTRIP = 3,
    D3DPT_TRIANGLELIST = 4,
    D3DPT_TRIANGLESTRIP = 5,
    D3DPT_TRIANGLEFAN = 6,
};

enum D3DRENDERSTATETYPE : std::uint32_t
{
    D3DRS_ZENABLE = 7,
    D3DRS_FILLMODE = 8,
    D3DRS_SHADEMODE = 9,
    D3DRS_ZWRITEENABLE = 14,
    D3DRS_ALPHATESTENABLE = 15,
    D3DRS_SRCBLEND = 19,
    D3DRS_DESTBLEND = 20,
    D3DRS_CULLMODE = 22,
    D3DRS_ZFUNC = 23,
    D3DRS_ALPHAREF = 24,
    D3DRS_ALPHAFUNC = 25,
    D3DRS_DITHERENABLE = 26,
    D3DRS_ALPHABLENDENABLE = 27,
    D3DRS_FOGENABLE = 28,
    D3DRS_SPECULARENABLE = 29,
    D3DRS_FOGCOLOR = 34,
    D3DRS_FOGTABLEMODE = 35,
    D3DRS_FOGSTART = 36,
    D3DRS_FOGEND = 37,
    D3DRS_FOGDENSITY = 38,
    D3DRS_ZBIAS = 47,
    D3DRS_TEXTUREFACTOR = 60,
    D3DRS_LIGHTING = 137,
    D3DRS_AMBIENT = 139,
    D3DRS_COLORVERTEX = 141,
    D3DRS_FOGVERTEXMODE = 140,
    D3DRS_LOCALVIEWER = 142,
    D3DRS_NORMALIZENORMALS = 143,
    D3DRS_DIFFUSEMATERIALSOURCE = 145,
    D3DRS_SPECULARMATERIALSOURCE = 146,
    D3DRS_AMBIENTMATERIALSOURCE = 147,
    D3DRS_EMISSIVEMATERIALSOURCE = 148,
    D3DRS_BLENDOP = 171,
};

enum D3DZBUFFERTYPE : std::uint32_t
{
    D3DZB_FALSE = 0,
    D3DZB_TRUE = 1,
};

enum D3DFILLMODE : std::uint32_t
{
    D3DFILL_POINT = 1,
    D3DFILL_WIREFRAME = 2,
    D3DFILL_SOLID = 3,
};

enum D3DSHADEMODE : std::uint32_t
{
    D3DSHADE_FLAT = 1,
    D3DSHADE_GOURAUD = 2,
};

enum D3DCULL : std::uint32_t
{
    D3DCULL_NONE = 1,
    D3DCULL_CW = 2,
    D3DCULL_CCW = 3,
};

enum D3DCMPFUNC : std::uint32_t
{
    D3DCMP_NEVER = 1,
    D3DCMP_LESS = 2,
    D3DCMP_EQUAL = 3,
    D3DCMP_LESSEQUAL = 4,
    D3DCMP_GREATER = 5,
    D3DCMP_NOTEQUAL = 6,
    D3DCMP_GREATEREQUAL = 7,
    D3DCMP_ALWAYS = 8,
};

enum D3DBLEND : std::uint32_t
{
    D3DBLEND_ZERO = 1,
    D3DBLEND_ONE = 2,
    D3DBLEND_SRCCOLOR = 3,
    D3DBLEND_INVSRCCOLOR = 4,
    D3DBLEND_SRCALPHA = 5,
    D3DBLEND_INVSRCALPHA = 6,
    D3DBLEND_DESTALPHA = 7,
    D3DBLEND_INVDESTALPHA = 8,
    D3DBLEND_DESTCOLOR = 9,
    D3DBLEND_INVDESTCOLOR = 10,
    D3DBLEND_SRCALPHASAT = 11,
};

enum D3DFOGMODE : std::uint32_t
{
    D3DFOG_NONE = 0,
    D3DFOG_EXP = 1,
    D3DFOG_EXP2 = 2,
    D3DFOG_LINEAR = 3,
};

enum D3DBLENDOP : std::uint32_t
{
    D3DBLENDOP_ADD = 1,
    D3DBLENDOP_SUBTRACT = 2,
    D3DBLENDOP_REVSUBTRACT = 3,
    D3DBLENDOP_MIN = 4,
    D3DBLENDOP_MAX = 5,
};

enum D3DMATERIALCOLORSOURCE : std::uint32_t
{
    D3DMCS_MATERIAL = 0,
    D3DMCS_COLOR1 = 1,
    D3DMCS_COLOR2 = 2,
};

enum D3DTEXTURESTAGESTATETYPE : std::uint32_t
{
    D3DTSS_COLOROP = 1,
    D3DTSS_COLORARG1 = 2,
    D3DTSS_COLORARG2 = 3,
    D3DTSS_ALPHAOP = 4,
    D3DTSS_ALPHAARG1 = 5,
    D3DTSS_ALPHAARG2 = 6,
    D3DTSS_TEXCOORDINDEX = 11,
    D3DTSS_ADDRESSU = 13,
    D3DTSS_ADDRESSV = 14,
    D3DTSS_BORDERCOLOR = 15,
    D3DTSS_MAGFILTER = 16,
    D3DTSS_MINFILTER = 17,
    D3DTSS_MIPFILTER = 18,
    D3DTSS_MIPMAPLODBIAS = 19,
    D3DTSS_MAXMIPLEVEL = 20,
    D3DTSS_MAXANISOTROPY = 21,
    D3DTSS_TEXTURETRANSFORMFLAGS = 24,
};

enum D3DTEXTUREOP : std::uint32_t
{
    D3DTOP_DISABLE = 1,
    D3DTOP_SELECTARG1 = 2,
    D3DTOP_SELECTARG2 = 3,
    D3DTOP_MODULATE = 4,
    D3DTOP_MODULATE2X = 5,
    D3DTOP_MODULATE4X = 6,
    D3DTOP_ADD = 7,
    D3DTOP_ADDSIGNED = 8,
    D3DTOP_ADDSIGNED2X = 9,
    D3DTOP_SUBTRACT = 10,
    D3DTOP_BLENDDIFFUSEALPHA = 12,
    D3DTOP_BLENDTEXTUREALPHA = 13,
    D3DTOP_BLENDFACTORALPHA = 14,
    D3DTOP_BLENDCURRENTALPHA = 16,
};

// Texture argument selectors and modifiers.
constexpr DWORD D3DTA_SELECTMASK = 0x0000000f;
constexpr DWORD D3DTA_DIFFUSE = 0x00000000;
constexpr DWORD D3DTA_CURRENT = 0x00000001;
constexpr DWORD D3DTA_TEXTURE = 0x00000002;
constexpr DWORD D3DTA_TFACTOR = 0x00000003;
constexpr DWORD D3DTA_SPECULAR = 0x00000004;
constexpr DWORD D3DTA_COMPLEMENT = 0x00000010;
constexpr DWORD D3DTA_ALPHAREPLICATE = 0x00000020;

enum D3DTEXTUREADDRESS : std::uint32_t
{
    D3DTADDRESS_WRAP = 1,
    D3DTADDRESS_MIRROR = 2,
    D3DTADDRESS_CLAMP = 3,
    D3DTADDRESS_BORDER = 4,
};

enum D3DTEXTUREFILTERTYPE : std::uint32_t
{
    D3DTEXF_NONE = 0,
    D3DTEXF_POINT = 1,
    D3DTEXF_LINEAR = 2,
    D3DTEXF_ANISOTROPIC = 3,
};

// The high word of D3DTSS_TEXCOORDINDEX: coordinates made from the vertex instead of read.
constexpr DWORD D3DTSS_TCI_PASSTHRU = 0x00000000;
constexpr DWORD D3DTSS_TCI_CAMERASPACEPOSITION = 0x00020000;

enum D3DTEXTURETRANSFORMFLAGS : std::uint32_t
{
    D3DTTFF_DISABLE = 0,
    D3DTTFF_COUNT1 = 1,
    D3DTTFF_COUNT2 = 2,
    D3DTTFF_COUNT3 = 3,
    D3DTTFF_COUNT4 = 4,
    D3DTTFF_PROJECTED = 256,
};

enum D3DTRANSFORMSTATETYPE : std::uint32_t
{
    D3DTS_VIEW = 2,
    D3DTS_PROJECTION = 3,
    D3DTS_TEXTURE0 = 16,
    D3DTS_TEXTURE7 = 23,
    D3DTS_WORLD = 256,
};

enum D3DLIGHTTYPE : std::uint32_t
{
    D3DLIGHT_POINT = 1,
    D3DLIGHT_SPOT = 2,
    D3DLIGHT_DIRECTIONAL = 3,
};

// Flexible vertex format bits. The engine's vertex (position, normal, colour, one uv) is 338.
constexpr DWORD D3DFVF_XYZ = 0x002;
constexpr DWORD D3DFVF_NORMAL = 0x010;
constexpr DWORD D3DFVF_DIFFUSE = 0x040;
constexpr DWORD D3DFVF_SPECULAR = 0x080;
constexpr DWORD D3DFVF_TEX1 = 0x100;

constexpr DWORD D3DCREATE_PUREDEVICE = 0x00000010;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x00000020;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x00000040;
constexpr DWORD D3DCREATE_MIXED_VERTEXPROCESSING = 0x00000080;

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x00000001;
constexpr DWORD D3DUSAGE_DEPTHSTENCIL = 0x00000002;

constexpr DWORD D3DCLEAR_TARGET = 0x00000001;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x00000002;
constexpr DWORD D3DCLEAR_STENCIL = 0x00000004;

constexpr DWORD D3DLOCK_READONLY = 0x00000010;
constexpr DWORD D3DLOCK_DISCARD = 0x00002000;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x00000008;

constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0x00000000;
constexpr UINT D3DPRESENT_INTERVAL_ONE = 0x00000001;
constexpr UINT D3DPRESENT_INTERVAL_TWO = 0x00000002;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000;

// Capability bits.
constexpr DWORD D3DCAPS2_CANRENDERWINDOWED = 0x00080000;
constexpr DWORD D3DDEVCAPS_HWTRANSFORMANDLIGHT = 0x00010000;
constexpr DWORD D3DDEVCAPS_PUREDEVICE = 0x00100000;
constexpr DWORD D3DPMISCCAPS_CULLNONE = 0x00000010;
constexpr DWORD D3DPMISCCAPS_CULLCW = 0x00000020;
constexpr DWORD D3DPMISCCAPS_CULLCCW = 0x00000040;
constexpr DWORD D3DPMISCCAPS_NULLREFERENCE = 0x00001000;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x00000002;
constexpr DWORD D3DPTEXTURECAPS_MIPMAP = 0x00004000;
constexpr DWORD D3DPTFILTERCAPS_MINFPOINT = 0x00000100;
constexpr DWORD D3DPTFILTERCAPS_MINFLINEAR = 0x00000200;
constexpr DWORD D3DPTFILTERCAPS_MINFANISOTROPIC = 0x00000400;
constexpr DWORD D3DPTFILTERCAPS_MIPFPOINT = 0x00010000;
constexpr DWORD D3DPTFILTERCAPS_MIPFLINEAR = 0x00020000;
constexpr DWORD D3DPTFILTERCAPS_MAGFPOINT = 0x01000000;
constexpr DWORD D3DPTFILTERCAPS_MAGFLINEAR = 0x02000000;
constexpr DWORD D3DPTADDRESSCAPS_WRAP = 0x00000001;
constexpr DWORD D3DPTADDRESSCAPS_CLAMP = 0x00000004;

struct RECT
{
    std::int32_t left, top, right, bottom;
};

struct D3DRECT
{
    std::int32_t x1, y1, x2, y2;
};

struct D3DVECTOR
{
    float x, y, z;
};

struct D3DCOLORVALUE
{
    float r, g, b, a;
};

struct D3DMATERIAL8
{
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Ambient;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Emissive;
    float Power;
};

struct D3DLIGHT8
{
    D3DLIGHTTYPE Type;
    D3DCOLORVALUE Diffuse;
    D3DCOLORVALUE Specular;
    D3DCOLORVALUE Ambient;
    D3DVECTOR Position;
    D3DVECTOR Direction;
    float Range;
    float Falloff;
    float Attenuation0;
    float Attenuation1;
    float Attenuation2;
    float Theta;
    float Phi;
};

struct D3DVIEWPORT8
{
    DWORD X, Y, Width, Height;
    float MinZ, MaxZ;
};

struct D3DDISPLAYMODE
{
    UINT Width;
    UINT Height;
    UINT RefreshRate;
    D3DFORMAT Format;
};

struct D3DADAPTER_IDENTIFIER8
{
    char Driver[512];
    char Description[512];
    std::uint64_t DriverVersion; // high 32 bits: product.version, low 32 bits: subversion.build
    DWORD VendorId;
    DWORD DeviceId;
    DWORD SubSysId;
    DWORD Revision;
    std::uint8_t DeviceIdentifier[16];
    DWORD WHQLLevel;
};

struct D3DCAPS8
{
    D3DDEVTYPE DeviceType;
    UINT AdapterOrdinal;
    DWORD Caps;
    DWORD Caps2;
    DWORD Caps3;
    DWORD PresentationIntervals;
    DWORD CursorCaps;
    DWORD DevCaps;
    DWORD PrimitiveMiscCaps;
    DWORD RasterCaps;
    DWORD ZCmpCaps;
    DWORD SrcBlendCaps;
    DWORD DestBlendCaps;
    DWORD AlphaCmpCaps;
    DWORD ShadeCaps;
    DWORD TextureCaps;
    DWORD TextureFilterCaps;
    DWORD CubeTextureFilterCaps;
    DWORD VolumeTextureFilterCaps;
    DWORD TextureAddressCaps;
    DWORD VolumeTextureAddressCaps;
    DWORD LineCaps;
    DWORD MaxTextureWidth;
    DWORD MaxTextureHeight;
    DWORD MaxVolumeExtent;
    DWORD MaxTextureRepeat;
    DWORD MaxTextureAspectRatio;
    DWORD MaxAnisotropy;
    float MaxVertexW;
    float GuardBandLeft, GuardBandTop, GuardBandRight, GuardBandBottom;
    float ExtentsAdjust;
    DWORD StencilCaps;
    DWORD FVFCaps;
    DWORD TextureOpCaps;
    DWORD MaxTextureBlendStages;
    DWORD MaxSimultaneousTextures;
    DWORD VertexProcessingCaps;
    DWORD MaxActiveLights;
    DWORD MaxUserClipPlanes;
    DWORD MaxVertexBlendMatrices;
    DWORD MaxVertexBlendMatrixIndex;
    float MaxPointSize;
    DWORD MaxPrimitiveCount;
    DWORD MaxVertexIndex;
    DWORD MaxStreams;
    DWORD MaxStreamStride;
    DWORD VertexShaderVersion;
    DWORD MaxVertexShaderConst;
    DWORD PixelShaderVersion;
    float MaxPixelShaderValue;
};

struct D3DPRESENT_PARAMETERS
{
    UINT BackBufferWidth;
    UINT BackBufferHeight;
    D3DFORMAT BackBufferFormat;
    UINT BackBufferCount;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    D3DSWAPEFFECT SwapEffect;
    HWND hDeviceWindow;
    BOOL Windowed;
    BOOL EnableAutoDepthStencil;
    D3DFORMAT AutoDepthStencilFormat;
    DWORD Flags;
    UINT FullScreen_RefreshRateInHz;
    UINT FullScreen_PresentationInterval;
};

struct D3DSURFACE_DESC
{
    D3DFORMAT Format;
    D3DRESOURCETYPE Type;
    DWORD Usage;
    D3DPOOL Pool;
    UINT Size;
    D3DMULTISAMPLE_TYPE MultiSampleType;
    UINT Width;
    UINT Height;
};

struct D3DLOCKED_RECT
{
    std::int32_t Pitch;
    void* pBits;
};

// Reference counted like the API it imitates: Release() of the last reference deletes.
class IUnknown8
{
public:
    virtual unsigned long AddRef() = 0;
    virtual unsigned long Release() = 0;

protected:
    virtual ~IUnknown8() = default;
};

class IDirect3DTexture8 : public IUnknown8
{
public:
    virtual DWORD GetLevelCount() = 0;
    virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* description) = 0;
    // Level pixels, row 0 first; 32-bit formats are A8R8G8B8 / X8R8G8B8 (B, G, R, A bytes).
    virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, RECT const* rect, DWORD flags) = 0;
    virtual HRESULT UnlockRect(UINT level) = 0;
};

// Vertex or index data kept by the device. Lock(0, 0, …) locks the whole buffer; with
// D3DLOCK_DISCARD the old contents are undefined.
class IDirect3DBuffer8 : public IUnknown8
{
public:
    virtual UINT GetLength() = 0;
    virtual HRESULT Lock(UINT offset, UINT size, BYTE** data, DWORD flags) = 0;
    virtual HRESULT Unlock() = 0;
};

class IDirect3DVertexBuffer8 : public IDirect3DBuffer8
{};

class IDirect3DIndexBuffer8 : public IDirect3DBuffer8
{};

class IDirect3DDevice8 : public IUnknown8
{
public:
    virtual HRESULT TestCooperativeLevel() = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS8* caps) = 0;
    virtual HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) = 0;
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS* presentParameters) = 0;
    virtual HRESULT Present(RECT const* sourceRect, RECT const* destRect, HWND destWindowOverride,
                            void const* dirtyRegion) = 0;
    // Copies the last presented frame (back-buffer size) into memory as A8R8G8B8 pixels
    // (B, G, R, A bytes), top row first, rows `pitch` bytes apart.
    virtual HRESULT GetFrontBuffer(void* pixels, UINT pitch) = 0;
    // Devices keep every presented frame for GetFrontBuffer, or with `everyFrame` false
    // only the frame presented next after KeepNextFrame (the others are not copied).
    virtual HRESULT SetFrameKeeping(BOOL everyFrame) = 0;
    virtual HRESULT KeepNextFrame() = 0;
    // One copy of the back buffer (colour, depth and stencil) that frames may start from
    // instead of a clear. After BeginBackBufferKeeping, clears and draws go into the copy
    // (with `overKeptCopy`, over the copy kept last); KeepBackBuffer ends that and copies the
    // copy into the back buffer; RestoreBackBuffer copies it there again. D3DERR_NOTAVAILABLE
    // where the device keeps no copy, none of the back buffer's present size (for
    // `overKeptCopy` and RestoreBackBuffer), or KeepBackBuffer comes without a Begin.
    // ReleaseKeptBackBuffer frees it.
    virtual HRESULT BeginBackBufferKeeping(BOOL overKeptCopy) = 0;
    virtual HRESULT KeepBackBuffer() = 0;
    // Whether a copy can be kept, found without keeping one or taking its memory.
    virtual HRESULT PrepareBackBufferKeeping() = 0;
    // Clears and draws until KeepBackBuffer go into a copy of one pixel, which KeepBackBuffer
    // then drops without copying it anywhere: the driver readies itself for drawing into the
    // copy before the copy takes its memory. D3DERR_NOTAVAILABLE where no copy can be kept.
    virtual HRESULT BeginBackBufferTrial() = 0;
    virtual HRESULT RestoreBackBuffer() = 0;
    virtual HRESULT ReleaseKeptBackBuffer() = 0;
    // Draws frames at `scale` (above 0, at most 1) of the back buffer's size and stretches
    // them over it with linear filtering when they are presented; 1 draws at full size. Takes
    // effect at once outside a scene, else from the next frame; a kept copy of another size
    // is not restored. D3DERR_NOTAVAILABLE, and frames at full size, where the device cannot
    // draw smaller.
    virtual HRESULT SetRenderScale(float scale) = 0;

    virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                                  D3DPOOL pool, IDirect3DTexture8** texture) = 0;

    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    virtual HRESULT Clear(DWORD count, D3DRECT const* rects, DWORD flags, D3DCOLOR color, float z,
                          DWORD stencil) = 0;

    virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX const* matrix) = 0;
    virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
    virtual HRESULT SetViewport(D3DVIEWPORT8 const* viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT8* viewport) = 0;
    virtual HRESULT SetMaterial(D3DMATERIAL8 const* material) = 0;
    virtual HRESULT GetMaterial(D3DMATERIAL8* material) = 0;
    virtual HRESULT SetLight(DWORD index, D3DLIGHT8 const* light) = 0;
    virtual HRESULT LightEnable(DWORD index, BOOL enable) = 0;
    virtual HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value) = 0;
    virtual HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) = 0;
    virtual HRESULT SetTexture(DWORD stage, IDirect3DTexture8* texture) = 0;
    virtual HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) = 0;
    virtual HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) = 0;
    virtual HRESULT SetVertexShader(DWORD fvf) = 0;

    virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, void const* vertexData,
                                    UINT vertexStride) = 0;
    virtual HRESULT DrawIndexedPrimitiveUP(D3DPRIMITIVETYPE type, UINT minVertexIndex, UINT vertexCount,
                                           UINT primitiveCount, void const* indexData, D3DFORMAT indexFormat,
                                           void const* vertexData, UINT vertexStride) = 0;

    // Device-kept vertex and index data: created once, locked to change, drawn from stream 0.
    virtual HRESULT CreateVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer8** buffer) = 0;
    virtual HRESULT CreateIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer8** buffer) = 0;
    virtual HRESULT SetStreamSource(UINT stream, IDirect3DVertexBuffer8* buffer, UINT stride) = 0;
    virtual HRESULT SetIndices(IDirect3DIndexBuffer8* buffer, UINT baseVertexIndex) = 0;
    virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, UINT minIndex, UINT vertexCount,
                                         UINT startIndex, UINT primitiveCount) = 0;
};

class IDirect3D8 : public IUnknown8
{
public:
    virtual UINT GetAdapterCount() = 0;
    virtual HRESULT GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER8* identifier) = 0;
    virtual UINT GetAdapterModeCount(UINT adapter) = 0;
    virtual HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) = 0;
    virtual HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) = 0;
    virtual HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                                    D3DFORMAT backBufferFormat, BOOL windowed) = 0;
    virtual HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                      D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) = 0;
    virtual HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                           D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) = 0;
    virtual HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) = 0;
    virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviourFlags,
                                 D3DPRESENT_PARAMETERS* presentParameters,
                                 IDirect3DDevice8** returnedDevice) = 0;
};

// Creates the runtime interface (null when `sdkVersion` is not D3D_SDK_VERSION or the
// factory fails). The caller owns one reference.
IDirect3D8* Direct3DCreate8(UINT sdkVersion);

namespace platform
{
// Replaces the implementation Direct3DCreate8 returns (null restores the OpenGL one).
using Direct3DFactory = IDirect3D8* (*)(void* context);
void SetDirect3DFactory(Direct3DFactory factory, void* context);
} // namespace platform
