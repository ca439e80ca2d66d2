#pragma once

#include <array>
#include <vector>

#include "platform/gl/Direct3D8.h"

class CMessageManager;
class CMemoryManager;
class CConfig;
class CWindow;
struct SMainSettings;

struct SVideoMode
{
    unsigned int width;
    unsigned int height;
    unsigned int bitDepth;
    unsigned int format;
    unsigned int behaviour;
    unsigned int depthStencilFormat;
};

struct SDeviceInfo
{
    D3DDEVTYPE deviceType = D3DDEVTYPE_HAL;
    D3DCAPS8 caps = {};
    bool canRenderWindowed = false;
    std::vector<SVideoMode> modes;
    unsigned int currentMode = 0;
};

struct SAdapterInfo
{
    unsigned int ordinal = 0; // the runtime's adapter number (adapters without devices are not listed)
    D3DADAPTER_IDENTIFIER8 identifier = {};
    D3DDISPLAYMODE desktopMode = {};
    std::vector<SDeviceInfo> devices;
    unsigned int currentDevice = 0;
};

// Chooses and creates the device from the configuration, watches for a lost device and
// for video-mode changes, and caches the render states the engine sets.
class CDirect3DSubsystem
{
public:
    CDirect3DSubsystem() = default;
    ~CDirect3DSubsystem();
    CDirect3DSubsystem(CDirect3DSubsystem const&) = delete;
    CDirect3DSubsystem& operator=(CDirect3DSubsystem const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CConfig* config,
                CWindow* window);
    void Destroy();
    bool IsFree() const { return m_free; }
    void Refresh();

    // A negative result is fatal: "Direct3D Subsystem (operation): error name".
    void Check(char const* operation, long result);

    IDirect3D8* GetDirect3D() const { return m_direct3D; }
    IDirect3DDevice8* GetDevice() const { return m_device; }
    bool IsDeviceLost() const { return m_deviceLost; }
    bool WasDeviceLost() const { return m_deviceWasReset; }
    // True in the frames where every setter sends its value (first frame, after a reset).
    bool IsForceStates() const { return m_forceStates; }
    CConfig* GetConfig() const { return m_config; }
    unsigned int GetMaxTextureWidth() const { return m_maxTextureWidth; }
    unsigned int GetMaxTextureHeight() const { return m_maxTextureHeight; }
    unsigned int GetMaxTextureUnits() const { return m_maxTextureUnits; }
    unsigned int GetMaxTextureAnisotropy() const { return m_maxTextureAnisotropy; }
    D3DPRESENT_PARAMETERS const& GetPresentParameters() const { return m_presentParameters; }

    // The smallest part of the window's size frames are drawn at.
    static constexpr float LowestRenderScale = 0.25f;
    // Draws frames at `scale` of the window's size (clamped to LowestRenderScale..1) and
    // stretches them over it; the log says what the device drew at when that changes.
    void SetRenderScale(float scale);
    // The scale the device draws at (1 where it cannot draw smaller).
    float GetRenderScale() const { return m_renderScale; }

    void SetAlphaBlend(unsigned int value);
    void SetSrcBlend(unsigned int value);
    void SetDstBlend(unsigned int value);
    void SetLighting(unsigned int value);
    void SetNormalizeNormals(unsigned int value);
    void SetZEnable(unsigned int value);
    void SetZWriteEnable(unsigned int value);
    void SetCullMode(unsigned int value);

    void SetTexture(unsigned int stage, IDirect3DTexture8* texture);
    void SetTextureMagFilter(unsigned int stage, unsigned int value);
    void SetTextureMinFilter(unsigned int stage, unsigned int value);
    void SetTextureMipFilter(unsigned int stage, unsigned int value);
    void SetTextureAdressU(unsigned int stage, unsigned int value);
    void SetTextureAdressV(unsigned int stage, unsigned int value);
    void SetTextureMatrix(unsigned int stage, float scaleU, float scaleV, float offsetU, float offsetV);
    // A whole texture matrix, for coordinates the device makes (SetTextureMatrix's scale and
    // offset are sent again after it).
    void SetTextureTransform(unsigned int stage, D3DMATRIX const& matrix);
    void SetTextureColorOperation(unsigned int stage, unsigned int value);
    void SetTextureCoordinateIndex(unsigned int stage, unsigned int value);

    // Sends the stored default material while states are forced; the argument is not used.
    void SetMatrial(D3DMATERIAL8 const* material);

protected:
    void BuildDeviceList();
    HRESULT ConfirmDevice(D3DCAPS8 const* caps, unsigned long behaviour, D3DFORMAT format);
    bool FindDepthStencilFormat(unsigned int adapter, D3DDEVTYPE type, D3DFORMAT format,
                                D3DFORMAT* depthStencilFormat);
    bool CheckDepthStencilFormat(unsigned int adapter, D3DDEVTYPE type, D3DFORMAT format,
                                 D3DFORMAT depthStencilFormat);
    void FindDeviceMode();
    void FillPresentParameters();
    void CreateDevice();
    static unsigned int GetBitDepth(D3DFORMAT format);

    SAdapterInfo& CurrentAdapter() { return m_adapters[m_currentAdapter]; }
    SDeviceInfo& CurrentDevice() { return CurrentAdapter().devices[CurrentAdapter().currentDevice]; }
    SVideoMode& CurrentMode() { return CurrentDevice().modes[CurrentDevice().currentMode]; }

private:
    void SetCachedRenderState(char const* label, D3DRENDERSTATETYPE state, unsigned int& stored,
                              unsigned int value);
    void SetCachedStageState(char const* label, D3DTEXTURESTAGESTATETYPE type,
                             std::vector<unsigned int>& stored, unsigned int stage, unsigned int value);
    void LogCreatedDevice();
    void FollowHostWindowSize();

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CConfig* m_config = nullptr;
    CWindow* m_window = nullptr;
    SMainSettings* m_settings = nullptr;
    IDirect3D8* m_direct3D = nullptr;
    IDirect3DDevice8* m_device = nullptr;
    unsigned int m_currentAdapter = 0;
    std::vector<SAdapterInfo> m_adapters;
    D3DPRESENT_PARAMETERS m_presentParameters = {};
    unsigned int m_minDepthBits = 16;
    unsigned int m_minStencilBits = 0;
    unsigned int m_maxTextureWidth = 0;
    unsigned int m_maxTextureHeight = 0;
    unsigned int m_maxTextureUnits = 0;
    unsigned int m_maxTextureAnisotropy = 0;
    bool m_firstFrame = false;
    bool m_deviceLost = false;
    bool m_deviceWasReset = false;
    bool m_forceStates = false;
    bool m_wasStopped = false;
    D3DMATERIAL8 m_material = {};
    unsigned int m_alphaBlend = 0;
    unsigned int m_srcBlend = 0;
    unsigned int m_dstBlend = 0;
    std::vector<IDirect3DTexture8*> m_textures;
    std::vector<unsigned int> m_magFilters;
    std::vector<unsigned int> m_minFilters;
    std::vector<unsigned int> m_mipFilters;
    std::vector<unsigned int> m_addressU;
    std::vector<unsigned int> m_addressV;
    std::vector<std::array<float, 4>> m_textureMatrices;
    // By stage: the whole matrix last sent, while it stands.
    std::vector<D3DMATRIX> m_textureTransforms;
    std::vector<bool> m_textureTransformSent;
    std::vector<unsigned int> m_colorOperations;
    std::vector<unsigned int> m_coordinateIndices;
    unsigned int m_lighting = 0;
    unsigned int m_normalizeNormals = 0;
    unsigned int m_zEnable = 0;
    // The device starts writing depth.
    unsigned int m_zWriteEnable = 1;
    unsigned int m_cullMode = 0;
    float m_renderScale = 1.0f;
    float m_requestedRenderScale = 1.0f;
};
