#include "render/Direct3DSubsystem.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "core/Config.h"
#include "core/MessageManager.h"
#include "render/Window.h"

namespace
{
constexpr char const* ChangeVideoModeCommand = "change_video_mode";
constexpr char const* FallbackVideoMode = "640x480x16";
constexpr float TextureMatrixTolerance = 0.00001f;

unsigned int ScaledLength(unsigned int length, float scale)
{
    return std::max(1u, static_cast<unsigned int>(std::lround(float(length) * scale)));
}

} // namespace

CDirect3DSubsystem::~CDirect3DSubsystem()
{
    Destroy();
}

void CDirect3DSubsystem::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                                CConfig* config, CWindow* window)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_config = config;
    m_window = window;
    m_settings = config->GetMainSettings();
    m_free = false;

    m_messageManager->Write("\nInitialization of Direct3D subsystem...");
    m_direct3D = Direct3DCreate8(D3D_SDK_VERSION);
    if (!m_direct3D) {
        m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to initialize Direct3D");
    }
    m_minDepthBits = 16;
    m_minStencilBits = 0;
    BuildDeviceList();
    CreateDevice();

    m_textures.assign(m_maxTextureUnits, nullptr);
    m_magFilters.assign(m_maxTextureUnits, 0);
    m_minFilters.assign(m_maxTextureUnits, 0);
    m_mipFilters.assign(m_maxTextureUnits, 0);
    m_addressU.assign(m_maxTextureUnits, 0);
    m_addressV.assign(m_maxTextureUnits, 0);
    m_textureMatrices.assign(m_maxTextureUnits, {0.0f, 0.0f, 0.0f, 0.0f});
    m_textureTransforms.assign(m_maxTextureUnits, D3DMATRIX{});
    m_textureTransformSent.assign(m_maxTextureUnits, false);
    // As the shader manager sets every unit when the device is made or reset.
    m_colorOperations.assign(m_maxTextureUnits, D3DTOP_MODULATE);
    m_coordinateIndices.assign(m_maxTextureUnits, 0);

    m_material = {};
    m_material.Diffuse = {0.6f, 0.6f, 0.6f, 1.0f};
    m_material.Ambient = {0.6f, 0.6f, 0.6f, 1.0f};
    m_material.Specular = {0.0f, 0.0f, 0.0f, 0.0f};
    m_material.Emissive = {0.0f, 0.0f, 0.0f, 1.0f};
    m_material.Power = 0.0f;

    m_firstFrame = true;
    m_wasStopped = false;
    m_forceStates = false;
    m_deviceLost = false;
    m_deviceWasReset = false;
    m_messageManager->Write(" ");
}

void CDirect3DSubsystem::SetRenderScale(float scale)
{
    scale = std::clamp(scale, LowestRenderScale, 1.0f);
    if (scale == m_requestedRenderScale || !m_device)
        return;
    m_requestedRenderScale = scale;
    bool const drawn = SUCCEEDED(m_device->SetRenderScale(scale));
    m_renderScale = drawn ? scale : 1.0f;
    if (!drawn) {
        m_messageManager->Write("Render scale %.2f: not available, frames drawn at full size", scale);
        return;
    }
    if (scale >= 1.0f) {
        m_messageManager->Write("Render scale 1.00: frames drawn at full size");
        return;
    }
    m_messageManager->Write("Render scale %.2f: frames drawn at %ux%u and stretched to %ux%u", scale,
                            ScaledLength(m_presentParameters.BackBufferWidth, scale),
                            ScaledLength(m_presentParameters.BackBufferHeight, scale),
                            m_presentParameters.BackBufferWidth, m_presentParameters.BackBufferHeight);
}

void CDirect3DSubsystem::Destroy()
{
    if (m_free) {
        return;
    }
    m_messageManager->Write("\nDirect3D Subsystem destroying:");
    m_textures.clear();
    m_magFilters.clear();
    m_minFilters.clear();
    m_mipFilters.clear();
    m_addressU.clear();
    m_addressV.clear();
    m_textureMatrices.clear();
    m_textureTransforms.clear();
    m_textureTransformSent.clear();
    m_colorOperations.clear();
    m_coordinateIndices.clear();
    m_adapters.clear();
    m_currentAdapter = 0;
    m_renderScale = m_requestedRenderScale = 1.0f;
    m_messageManager->Write("...Releasing device...");
    if (m_device) {
        m_device->Release();
        m_device = nullptr;
    }
    m_messageManager->Write("...Releasing interface...");
    if (m_direct3D) {
        m_direct3D->Release();
        m_direct3D = nullptr;
    }
    m_free = true;
}

void CDirect3DSubsystem::Check(char const* operation, long result)
{
    if (result < 0) {
        m_messageManager->WriteFatalError("Direct3D Subsystem (%s): %s", operation,
                                          GetDirect3DErrorName(static_cast<HRESULT>(result)));
    }
}

unsigned int CDirect3DSubsystem::GetBitDepth(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
        return 32;
    default:
        return 16;
    }
}

HRESULT CDirect3DSubsystem::ConfirmDevice(D3DCAPS8 const*, unsigned long, D3DFORMAT)
{
    return D3D_OK;
}

bool CDirect3DSubsystem::CheckDepthStencilFormat(unsigned int adapter, D3DDEVTYPE type, D3DFORMAT format,
                                                 D3DFORMAT depthStencilFormat)
{
    return SUCCEEDED(m_direct3D->CheckDeviceFormat(adapter, type, format, D3DUSAGE_DEPTHSTENCIL,
                                                   D3DRTYPE_SURFACE, depthStencilFormat)) &&
           SUCCEEDED(m_direct3D->CheckDepthStencilMatch(adapter, type, format, format, depthStencilFormat));
}

bool CDirect3DSubsystem::FindDepthStencilFormat(unsigned int adapter, D3DDEVTYPE type, D3DFORMAT format,
                                                D3DFORMAT* depthStencilFormat)
{
    struct SCandidate
    {
        D3DFORMAT format;
        unsigned int depthBits;
        unsigned int stencilBits;
    };
    static constexpr SCandidate candidates[] = {
        {D3DFMT_D16, 16, 0},   {D3DFMT_D15S1, 15, 1},   {D3DFMT_D24X8, 24, 0},
        {D3DFMT_D24S8, 24, 8}, {D3DFMT_D24X4S4, 24, 4}, {D3DFMT_D32, 32, 0},
    };
    for (SCandidate const& candidate : candidates) {
        bool stencilFits =
            candidate.stencilBits == 0 ? m_minStencilBits == 0 : m_minStencilBits <= candidate.stencilBits;
        if (m_minDepthBits <= candidate.depthBits && stencilFits &&
            CheckDepthStencilFormat(adapter, type, format, candidate.format)) {
            *depthStencilFormat = candidate.format;
            return true;
        }
    }
    return false;
}

void CDirect3DSubsystem::BuildDeviceList()
{
    m_messageManager->Write("...Building device list...");
    m_adapters.clear();
    UINT adapterCount = m_direct3D->GetAdapterCount();
    for (UINT adapter = 0; adapter < adapterCount; ++adapter) {
        SAdapterInfo info;
        info.ordinal = adapter;
        if (FAILED(m_direct3D->GetAdapterIdentifier(adapter, D3DENUM_NO_WHQL_LEVEL, &info.identifier)) ||
            FAILED(m_direct3D->GetAdapterDisplayMode(adapter, &info.desktopMode))) {
            continue;
        }

        std::vector<D3DFORMAT> formats{info.desktopMode.Format};
        std::vector<D3DDISPLAYMODE> modes;
        UINT modeCount = m_direct3D->GetAdapterModeCount(adapter);
        for (UINT index = 0; index < modeCount; ++index) {
            D3DDISPLAYMODE mode;
            if (FAILED(m_direct3D->EnumAdapterModes(adapter, index, &mode))) {
                continue;
            }
            if (mode.Width < 640 || mode.Height < 400) {
                continue;
            }
            bool listed = std::any_of(modes.begin(), modes.end(), [&](D3DDISPLAYMODE const& m) {
                return m.Width == mode.Width && m.Height == mode.Height && m.Format == mode.Format;
            });
            if (listed) {
                continue;
            }
            mode.RefreshRate = 0;
            modes.push_back(mode);
            if (std::find(formats.begin(), formats.end(), mode.Format) == formats.end()) {
                formats.push_back(mode.Format);
            }
        }
        std::sort(modes.begin(), modes.end(), [](D3DDISPLAYMODE const& a, D3DDISPLAYMODE const& b) {
            if (a.Format != b.Format) {
                return a.Format < b.Format;
            }
            if (a.Width != b.Width) {
                return a.Width > b.Width;
            }
            return a.Height > b.Height;
        });

        for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
            SDeviceInfo device;
            device.deviceType = type;
            if (FAILED(m_direct3D->GetDeviceCaps(adapter, type, &device.caps))) {
                continue;
            }
            struct SConfirmed
            {
                D3DFORMAT format;
                unsigned int behaviour;
                D3DFORMAT depthStencil;
            };
            std::vector<SConfirmed> confirmed;
            for (D3DFORMAT format : formats) {
                if (FAILED(m_direct3D->CheckDeviceType(adapter, type, format, format, false))) {
                    continue;
                }
                unsigned int behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
                if (device.caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) {
                    behaviour = (device.caps.DevCaps & D3DDEVCAPS_PUREDEVICE)
                                    ? D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_PUREDEVICE
                                    : D3DCREATE_HARDWARE_VERTEXPROCESSING;
                }
                if (FAILED(ConfirmDevice(&device.caps, behaviour, format))) {
                    continue;
                }
                D3DFORMAT depthStencil;
                if (!FindDepthStencilFormat(adapter, type, format, &depthStencil)) {
                    continue;
                }
                confirmed.push_back({format, behaviour, depthStencil});
            }
            for (D3DDISPLAYMODE const& mode : modes) {
                for (SConfirmed const& c : confirmed) {
                    if (c.format == mode.Format) {
                        device.modes.push_back({mode.Width, mode.Height, GetBitDepth(c.format), c.format,
                                                c.behaviour, c.depthStencil});
                    }
                }
            }
            bool desktopConfirmed = std::any_of(confirmed.begin(), confirmed.end(), [&](SConfirmed const& c) {
                return c.format == formats.front();
            });
            device.canRenderWindowed = desktopConfirmed && (device.caps.Caps2 & D3DCAPS2_CANRENDERWINDOWED);
            if (!device.modes.empty()) {
                info.devices.push_back(std::move(device));
            }
        }
        if (!info.devices.empty()) {
            m_adapters.push_back(std::move(info));
        }
    }

    for (unsigned int adapter = 0; adapter < m_adapters.size(); ++adapter) {
        std::vector<SDeviceInfo>& devices = m_adapters[adapter].devices;
        for (unsigned int device = 0; device < devices.size(); ++device) {
            if (devices[device].canRenderWindowed) {
                m_currentAdapter = adapter;
                m_adapters[adapter].currentDevice = device;
                if (devices[device].deviceType == D3DDEVTYPE_REF) {
                    m_messageManager->WriteWarning(
                        "Direct3DSubsystem: Switching to the reference rasterizer");
                }
                return;
            }
        }
    }
    m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to find any compatible Direct3D devices");
}

void CDirect3DSubsystem::FindDeviceMode()
{
    bool defaultTried = false;
    bool fallbackTried = false;
    for (;;) {
        D3DDISPLAYMODE const& desktop = CurrentAdapter().desktopMode;
        SDeviceInfo& device = CurrentDevice();
        unsigned long width = 0;
        unsigned long height = 0;
        unsigned long depth = 0;
        if (std::strcmp(m_settings->v_mode, "desktop") == 0) {
            width = desktop.Width;
            height = desktop.Height;
            depth = GetBitDepth(desktop.Format) == 32 ? 32 : 16;
            m_settings->v_fullscreen = true;
        } else {
            CConfig::ParseVideoModeString(m_settings->v_mode, &width, &height, &depth);
        }

        if (!m_settings->v_fullscreen && (width >= desktop.Width || height >= desktop.Height)) {
            // The window would not fit: take the largest 4:3-divisible mode inside the desktop.
            unsigned int bestWidth = 640;
            unsigned int bestHeight = 480;
            bool found = false;
            for (unsigned int i = 0; i < device.modes.size(); ++i) {
                SVideoMode const& mode = device.modes[i];
                if (mode.width % 4 == 0 && mode.height % 3 == 0 && mode.width < desktop.Width &&
                    mode.height < desktop.Height && mode.width > bestWidth && mode.height > bestHeight) {
                    bestWidth = mode.width;
                    bestHeight = mode.height;
                    device.currentMode = i;
                    found = true;
                }
            }
            if (!found) {
                // Nothing larger than 640 x 480: the mode must still describe the window.
                for (unsigned int i = 0; i < device.modes.size(); ++i) {
                    if (device.modes[i].width == bestWidth && device.modes[i].height == bestHeight) {
                        device.currentMode = i;
                        if (device.modes[i].bitDepth == depth) {
                            break;
                        }
                    }
                }
            }
            std::snprintf(m_settings->v_mode, sizeof m_settings->v_mode, "%ux%ux%lu", bestWidth, bestHeight,
                          depth);
            return;
        }

        for (unsigned int i = 0; i < device.modes.size(); ++i) {
            SVideoMode const& mode = device.modes[i];
            if (mode.width == width && mode.height == height && mode.bitDepth == depth) {
                device.currentMode = i;
                return;
            }
        }

        // Each fall-back is taken once, so a default that is not available cannot loop.
        char const* defaultMode = m_config->GetDefaultValue("v_mode");
        if (!defaultTried && std::strcmp(m_settings->v_mode, defaultMode) != 0) {
            defaultTried = true;
            m_config->SetDefaultValue("v_mode");
        } else if (!fallbackTried && std::strcmp(m_settings->v_mode, FallbackVideoMode) != 0) {
            defaultTried = true;
            fallbackTried = true;
            std::snprintf(m_settings->v_mode, sizeof m_settings->v_mode, "%s", FallbackVideoMode);
        } else {
            m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to find compatible video mode");
        }
    }
}

void CDirect3DSubsystem::FillPresentParameters()
{
    SVideoMode const& mode = CurrentMode();
    bool hasParent = m_window->GetParentHandler() != nullptr;
    m_presentParameters = {};
    m_presentParameters.Windowed = hasParent || !m_settings->v_fullscreen;
    m_presentParameters.BackBufferCount = 1;
    m_presentParameters.MultiSampleType = D3DMULTISAMPLE_NONE;
    m_presentParameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    m_presentParameters.hDeviceWindow = m_window->GetHandler();
    m_presentParameters.EnableAutoDepthStencil = true;
    m_presentParameters.AutoDepthStencilFormat = static_cast<D3DFORMAT>(mode.depthStencilFormat);
    if (hasParent) {
        m_presentParameters.BackBufferWidth = m_window->GetWidth();
        m_presentParameters.BackBufferHeight = m_window->GetHeight();
    } else {
        m_presentParameters.BackBufferWidth = mode.width;
        m_presentParameters.BackBufferHeight = mode.height;
    }
    m_presentParameters.BackBufferFormat = m_presentParameters.Windowed ? CurrentAdapter().desktopMode.Format
                                                                        : static_cast<D3DFORMAT>(mode.format);
    DWORD intervals = CurrentDevice().caps.PresentationIntervals;
    if (!m_presentParameters.Windowed && (intervals & D3DPRESENT_INTERVAL_IMMEDIATE) &&
        (intervals & D3DPRESENT_INTERVAL_ONE)) {
        if (m_settings->v_vsync) {
            m_presentParameters.SwapEffect = D3DSWAPEFFECT_COPY_VSYNC;
            m_presentParameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_ONE;
        } else {
            m_presentParameters.FullScreen_PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        }
    }
}

void CDirect3DSubsystem::CreateDevice()
{
    for (;;) {
        m_messageManager->Write("...Creating device...");
        FindDeviceMode();
        SDeviceInfo& device = CurrentDevice();
        if (device.caps.PrimitiveMiscCaps & D3DPMISCCAPS_NULLREFERENCE) {
            m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to create Direct3D software device");
        }
        D3DDISPLAYMODE const& desktop = CurrentAdapter().desktopMode;
        SVideoMode const& mode = CurrentMode();
        m_window->SetMode(mode.width, mode.height, m_settings->v_fullscreen, desktop.Width, desktop.Height);
        FillPresentParameters();
        HRESULT result =
            m_direct3D->CreateDevice(CurrentAdapter().ordinal, device.deviceType, m_window->GetHandler(),
                                     mode.behaviour, &m_presentParameters, &m_device);
        if (SUCCEEDED(result)) {
            LogCreatedDevice();
            return;
        }
        m_device = nullptr;
        if (device.deviceType == D3DDEVTYPE_REF) {
            m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to create Direct3D device");
        }
        m_currentAdapter = 0;
        std::vector<SDeviceInfo>& devices = m_adapters[0].devices;
        auto reference = std::find_if(devices.begin(), devices.end(),
                                      [](SDeviceInfo const& d) { return d.deviceType == D3DDEVTYPE_REF; });
        if (reference == devices.end()) {
            m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to create Direct3D device");
        }
        m_adapters[0].currentDevice = static_cast<unsigned int>(reference - devices.begin());
        if (!reference->canRenderWindowed) {
            m_settings->v_fullscreen = true;
        }
        m_messageManager->WriteWarning("......Direct3DSubsystem: Switching to the reference rasterizer");
    }
}

void CDirect3DSubsystem::LogCreatedDevice()
{
    SDeviceInfo const& device = CurrentDevice();
    SVideoMode const& mode = CurrentMode();
    D3DCAPS8 caps = {};
    Check("Direct3DSubsystem::Create", m_device->GetDeviceCaps(&caps));
    D3DADAPTER_IDENTIFIER8 identifier = {};
    Check("Direct3DSubsystem::Create",
          m_direct3D->GetAdapterIdentifier(caps.AdapterOrdinal, D3DENUM_NO_WHQL_LEVEL, &identifier));

    std::uint32_t high = static_cast<std::uint32_t>(identifier.DriverVersion >> 32);
    std::uint32_t low = static_cast<std::uint32_t>(identifier.DriverVersion);
    m_messageManager->Write("......Description: %s", identifier.Description);
    m_messageManager->Write("......Driver: %s", identifier.Driver);
    m_messageManager->Write("......Version: %d.%d.%d.%d", int(high >> 16), int(high & 0xFFFF), int(low >> 16),
                            int(low & 0xFFFF));
    std::string const dots(56, '.');
    m_messageManager->Write("%s", dots.c_str());
    m_messageManager->Write(device.deviceType == D3DDEVTYPE_HAL ? "......Type: Hardware"
                                                                : "......Type: Software");
    if (mode.behaviour & D3DCREATE_HARDWARE_VERTEXPROCESSING) {
        m_messageManager->Write("......Vertex Processing: Hardware");
    } else if (mode.behaviour & D3DCREATE_MIXED_VERTEXPROCESSING) {
        m_messageManager->Write("......Vertex Processing: Mixed (Hardware and Software)");
    } else if (mode.behaviour & D3DCREATE_SOFTWARE_VERTEXPROCESSING) {
        m_messageManager->Write("......Vertex Processing: Software");
    }
    m_messageManager->Write("%s", dots.c_str());
    m_messageManager->Write("......Capabilities:");
    m_maxTextureUnits = caps.MaxSimultaneousTextures;
    m_maxTextureWidth = caps.MaxTextureWidth;
    m_maxTextureHeight = caps.MaxTextureHeight;
    m_maxTextureAnisotropy = caps.MaxAnisotropy;
    m_messageManager->Write(".........Maximal texture units: %d", int(m_maxTextureUnits));
    m_messageManager->Write(".........Maximal texture size: %dx%d", int(m_maxTextureWidth),
                            int(m_maxTextureHeight));
    m_messageManager->Write(".........Maximal texture anisotropy: %d", int(m_maxTextureAnisotropy));
}

void CDirect3DSubsystem::Refresh()
{
    m_forceStates = false;
    m_deviceWasReset = false;

    // A stopped (minimised) engine presents nothing, so it draws nothing either: scenes drawn
    // and never presented pile up in the driver. The device counts as lost until it runs again.
    if (m_settings->s_stop_engine) {
        m_deviceLost = true;
        m_wasStopped = true;
        return;
    }
    if (m_wasStopped) {
        m_wasStopped = false;
        m_deviceWasReset = true;
    }

    HRESULT result = m_device->TestCooperativeLevel();
    if (SUCCEEDED(result)) {
        m_deviceLost = false;
    } else {
        m_deviceLost = true;
        if (result == D3DERR_DEVICENOTRESET) {
            if (m_presentParameters.Windowed) {
                D3DDISPLAYMODE& desktop = CurrentAdapter().desktopMode;
                if (SUCCEEDED(m_direct3D->GetAdapterDisplayMode(CurrentAdapter().ordinal, &desktop))) {
                    m_presentParameters.BackBufferFormat = desktop.Format;
                }
            }
            Check("Direct3DSubsystem::Refresh", m_device->Reset(&m_presentParameters));
            if (SUCCEEDED(m_device->TestCooperativeLevel())) {
                m_deviceWasReset = true;
                m_deviceLost = false;
            }
        }
    }

    if (!m_config->IsCommandExecuted(ChangeVideoModeCommand)) {
        m_config->SetCommandExecution(ChangeVideoModeCommand, true);
        FindDeviceMode();
        if (!m_settings->v_fullscreen && !CurrentDevice().canRenderWindowed) {
            m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to change video mode");
        }
        D3DDISPLAYMODE const& desktop = CurrentAdapter().desktopMode;
        SVideoMode const& mode = CurrentMode();
        if (m_settings->v_fullscreen) {
            m_window->SetMode(mode.width, mode.height, true, desktop.Width, desktop.Height);
        } else {
            m_window->SetMode(m_window->GetWidth(), m_window->GetHeight(), false, desktop.Width,
                              desktop.Height);
        }
        FillPresentParameters();
        if (FAILED(m_device->Reset(&m_presentParameters))) {
            m_messageManager->WriteFatalError("Direct3DSubsystem: Failed to change video mode");
        }
        if (!m_settings->v_fullscreen) {
            m_window->SetMode(mode.width, mode.height, false, desktop.Width, desktop.Height);
        }
        m_deviceWasReset = true;
    }

    FollowHostWindowSize();

    if (m_deviceWasReset || m_firstFrame) {
        m_forceStates = true;
    }
    m_firstFrame = false;
}

void CDirect3DSubsystem::FollowHostWindowSize()
{
    // A host window's owner may resize it; the back buffer follows.
    if (m_deviceLost || m_window->GetParentHandler() == nullptr || m_window->GetWidth() == 0 ||
        m_window->GetHeight() == 0) {
        return;
    }
    if (m_presentParameters.BackBufferWidth == m_window->GetWidth() &&
        m_presentParameters.BackBufferHeight == m_window->GetHeight()) {
        return;
    }
    FillPresentParameters();
    if (SUCCEEDED(m_device->Reset(&m_presentParameters))) {
        m_deviceWasReset = true;
    }
}

void CDirect3DSubsystem::SetCachedRenderState(char const* label, D3DRENDERSTATETYPE state,
                                              unsigned int& stored, unsigned int value)
{
    if (!m_forceStates && stored == value) {
        return;
    }
    stored = value;
    Check(label, m_device->SetRenderState(state, value));
}

void CDirect3DSubsystem::SetCachedStageState(char const* label, D3DTEXTURESTAGESTATETYPE type,
                                             std::vector<unsigned int>& stored, unsigned int stage,
                                             unsigned int value)
{
    if (stage < stored.size()) {
        if (!m_forceStates && stored[stage] == value) {
            return;
        }
        stored[stage] = value;
    }
    Check(label, m_device->SetTextureStageState(stage, type, value));
}

void CDirect3DSubsystem::SetAlphaBlend(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetAlphaBlend", D3DRS_ALPHABLENDENABLE, m_alphaBlend, value);
}

void CDirect3DSubsystem::SetSrcBlend(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetSrcBlend", D3DRS_SRCBLEND, m_srcBlend, value);
}

void CDirect3DSubsystem::SetDstBlend(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetDstBlend", D3DRS_DESTBLEND, m_dstBlend, value);
}

void CDirect3DSubsystem::SetLighting(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetLighting", D3DRS_LIGHTING, m_lighting, value);
}

void CDirect3DSubsystem::SetNormalizeNormals(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetNormalizeNormals", D3DRS_NORMALIZENORMALS, m_normalizeNormals,
                         value);
}

void CDirect3DSubsystem::SetZEnable(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetZEnable", D3DRS_ZENABLE, m_zEnable, value);
}

void CDirect3DSubsystem::SetZWriteEnable(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetZWriteEnable", D3DRS_ZWRITEENABLE, m_zWriteEnable, value);
}

void CDirect3DSubsystem::SetCullMode(unsigned int value)
{
    SetCachedRenderState("Direct3DSubsystem::SetCullMode", D3DRS_CULLMODE, m_cullMode, value);
}

void CDirect3DSubsystem::SetTexture(unsigned int stage, IDirect3DTexture8* texture)
{
    if (stage < m_textures.size()) {
        if (!m_forceStates && m_textures[stage] == texture) {
            return;
        }
        m_textures[stage] = texture;
    }
    Check("Direct3DSubsystem::SetTexture", m_device->SetTexture(stage, texture));
}

void CDirect3DSubsystem::SetTextureMagFilter(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureMagFilter", D3DTSS_MAGFILTER, m_magFilters, stage,
                        value);
}

void CDirect3DSubsystem::SetTextureMinFilter(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureMinFilter", D3DTSS_MINFILTER, m_minFilters, stage,
                        value);
}

void CDirect3DSubsystem::SetTextureMipFilter(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureMipFilter", D3DTSS_MIPFILTER, m_mipFilters, stage,
                        value);
}

void CDirect3DSubsystem::SetTextureAdressU(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureAdressU", D3DTSS_ADDRESSU, m_addressU, stage, value);
}

void CDirect3DSubsystem::SetTextureAdressV(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureAdressV", D3DTSS_ADDRESSV, m_addressV, stage, value);
}

void CDirect3DSubsystem::SetTextureMatrix(unsigned int stage, float scaleU, float scaleV, float offsetU,
                                          float offsetV)
{
    std::array<float, 4> const values{scaleU, scaleV, offsetU, offsetV};
    if (stage < m_textureMatrices.size()) {
        std::array<float, 4>& stored = m_textureMatrices[stage];
        bool same = true;
        for (int i = 0; i < 4; ++i) {
            same = same && std::fabs(stored[i] - values[i]) <= TextureMatrixTolerance;
        }
        if (!m_forceStates && same && !m_textureTransformSent[stage]) {
            return;
        }
        stored = values;
        m_textureTransformSent[stage] = false;
    }
    D3DMATRIX matrix = {};
    matrix._11 = scaleU;
    matrix._22 = scaleV;
    matrix._31 = offsetU;
    matrix._32 = offsetV;
    matrix._33 = 1.0f;
    matrix._44 = 1.0f;
    Check("Direct3DSubsystem::SetTextureMatrix",
          m_device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &matrix));
}

void CDirect3DSubsystem::SetTextureTransform(unsigned int stage, D3DMATRIX const& matrix)
{
    if (stage < m_textureTransforms.size()) {
        if (!m_forceStates && m_textureTransformSent[stage] &&
            std::memcmp(&m_textureTransforms[stage], &matrix, sizeof matrix) == 0) {
            return;
        }
        m_textureTransforms[stage] = matrix;
        m_textureTransformSent[stage] = true;
    }
    Check("Direct3DSubsystem::SetTextureTransform",
          m_device->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(D3DTS_TEXTURE0 + stage), &matrix));
}

void CDirect3DSubsystem::SetTextureColorOperation(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureColorOperation", D3DTSS_COLOROP, m_colorOperations,
                        stage, value);
}

void CDirect3DSubsystem::SetTextureCoordinateIndex(unsigned int stage, unsigned int value)
{
    SetCachedStageState("Direct3DSubsystem::SetTextureCoordinateIndex", D3DTSS_TEXCOORDINDEX,
                        m_coordinateIndices, stage, value);
}

void CDirect3DSubsystem::SetMatrial(D3DMATERIAL8 const*)
{
    if (!m_forceStates) {
        return;
    }
    Check("Direct3DSubsystem::SetMatrial", m_device->SetMaterial(&m_material));
}
