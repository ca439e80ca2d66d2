#include "platform/gl/GLDirect3D8.h"

#include "platform/gl/GLDevice.h"
#include "platform/gl/GLFormats.h"
#include "platform/gl/RefCounted.h"
#include "platform/os/MemoryPhases.h"
#include "platform/window/GLContext.h"
#include "platform/window/WindowBackend.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace
{
using platform::GetTextureFormat;
using platform::IsDepthFormat;
using platform::IsDisplayFormat;
using platform::MaxLights;
using platform::STextureFormat;

class GLDirect3D8 : public RefCounted<IDirect3D8>
{
public:
    GLDirect3D8() : m_backend(platform::GetWindowBackend()) { m_videoStarted = m_backend.AcquireVideo(); }

    ~GLDirect3D8() override
    {
        if (m_videoStarted) {
            m_backend.ReleaseVideo();
        }
    }

    UINT GetAdapterCount() override
    {
        int count = m_videoStarted ? m_backend.GetDisplayCount() : 0;
        return count > 0 ? static_cast<UINT>(count) : 0;
    }

    HRESULT GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) override
    {
        if (adapter >= GetAdapterCount() || !identifier) {
            return D3DERR_INVALIDCALL;
        }
        *identifier = {};
        std::snprintf(identifier->Driver, sizeof identifier->Driver, "OpenGL (%s)",
                      m_backend.GetDriverName().c_str());
        std::string const name = m_backend.GetDisplayName(int(adapter));
        std::snprintf(identifier->Description, sizeof identifier->Description, "%s",
                      name.empty() ? "Display" : name.c_str());
        identifier->DriverVersion = m_backend.GetDriverVersion();
        return D3D_OK;
    }

    UINT GetAdapterModeCount(UINT adapter) override { return static_cast<UINT>(ListModes(adapter).size()); }

    HRESULT EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) override
    {
        std::vector<D3DDISPLAYMODE> modes = ListModes(adapter);
        if (mode >= modes.size() || !displayMode) {
            return D3DERR_INVALIDCALL;
        }
        *displayMode = modes[mode];
        return D3D_OK;
    }

    HRESULT GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) override
    {
        platform::DisplayMode mode;
        if (adapter >= GetAdapterCount() || !displayMode ||
            !m_backend.GetDesktopDisplayMode(int(adapter), &mode)) {
            return D3DERR_INVALIDCALL;
        }
        *displayMode = ToD3DMode(mode);
        return D3D_OK;
    }

    HRESULT CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat,
                            D3DFORMAT backBufferFormat, BOOL) override
    {
        if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        return IsDisplayFormat(displayFormat) && IsDisplayFormat(backBufferFormat) ? D3D_OK
                                                                                   : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT, DWORD usage,
                              D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) override
    {
        if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        if (usage & D3DUSAGE_DEPTHSTENCIL) {
            return resourceType == D3DRTYPE_SURFACE && IsDepthFormat(checkFormat) ? D3D_OK
                                                                                  : D3DERR_NOTAVAILABLE;
        }
        STextureFormat format;
        return resourceType == D3DRTYPE_TEXTURE && GetTextureFormat(checkFormat, &format)
                   ? D3D_OK
                   : D3DERR_NOTAVAILABLE;
    }

    HRESULT CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT, D3DFORMAT,
                                   D3DFORMAT depthStencilFormat) override
    {
        if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        return IsDepthFormat(depthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
    }

    HRESULT GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) override
    {
        if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL || !caps) {
            return D3DERR_NOTAVAILABLE;
        }
        // Limits a GL 1.3 context always offers; a created device reports its own.
        *caps = {};
        caps->DeviceType = D3DDEVTYPE_HAL;
        caps->AdapterOrdinal = adapter;
        caps->Caps2 = D3DCAPS2_CANRENDERWINDOWED;
        caps->PresentationIntervals = D3DPRESENT_INTERVAL_ONE | D3DPRESENT_INTERVAL_IMMEDIATE;
        caps->DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
        caps->PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW;
        caps->TextureCaps = D3DPTEXTURECAPS_MIPMAP;
        caps->TextureFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR |
                                  D3DPTFILTERCAPS_MIPFPOINT | D3DPTFILTERCAPS_MIPFLINEAR |
                                  D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
        caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP;
        caps->MaxTextureWidth = 2048;
        caps->MaxTextureHeight = 2048;
        caps->MaxAnisotropy = 1;
        caps->MaxTextureBlendStages = 2;
        caps->MaxSimultaneousTextures = 2;
        caps->MaxActiveLights = MaxLights;
        caps->MaxPrimitiveCount = 0xFFFFFF;
        caps->MaxVertexIndex = 0xFFFFFF;
        caps->MaxStreams = 1;
        return D3D_OK;
    }

    HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD,
                         D3DPRESENT_PARAMETERS* presentParameters, IDirect3DDevice8** returnedDevice) override
    {
        if (!presentParameters || !returnedDevice) {
            return D3DERR_INVALIDCALL;
        }
        *returnedDevice = nullptr;
        if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL) {
            return D3DERR_NOTAVAILABLE;
        }
        HWND window = presentParameters->hDeviceWindow ? presentParameters->hDeviceWindow : focusWindow;
        if (!window || !window->CanDrawWithGL()) {
            return D3DERR_INVALIDCALL;
        }
        D3DFORMAT depth = presentParameters->EnableAutoDepthStencil
                              ? presentParameters->AutoDepthStencilFormat
                              : D3DFMT_UNKNOWN;
        platform::GLContextAttributes attributes;
        attributes.depthBits = depth == D3DFMT_D16 ? 16 : depth == D3DFMT_UNKNOWN ? 0 : 24;
        attributes.stencilBits = depth == D3DFMT_D24S8 ? 8 : 0;
        std::shared_ptr<platform::GLContext> context = platform::CreateGLContext(window, attributes);
        if (!context) {
            return D3DERR_NOTAVAILABLE;
        }
        if (!context->MakeCurrent()) {
            context->Release();
            return D3DERR_NOTAVAILABLE;
        }
        // The driver and its compiler are loaded and resolved now. Loading ran the compiler's
        // static constructors, spread over its whole code: that code need not stay resident
        // (what drawing compiles later comes back page by page).
        platform::EnterDriverLoadedPhase();
        D3DPRESENT_PARAMETERS parameters = *presentParameters;
        parameters.hDeviceWindow = window;
        *returnedDevice = platform::CreateGLDevice(this, adapter, std::move(context), parameters);
        return D3D_OK;
    }

private:
    static D3DDISPLAYMODE ToD3DMode(platform::DisplayMode const& mode)
    {
        unsigned int const bits = mode.formatBits;
        D3DFORMAT const format = bits >= 24 ? D3DFMT_X8R8G8B8 : bits == 15 ? D3DFMT_X1R5G5B5 : D3DFMT_R5G6B5;
        return {mode.width, mode.height, mode.refreshRate, format};
    }

    // The display's own modes, plus the usual window sizes that fit on the desktop in
    // 32 and 16 bits: a GL window can take any size.
    std::vector<D3DDISPLAYMODE> ListModes(UINT adapter)
    {
        std::vector<D3DDISPLAYMODE> modes;
        if (adapter >= GetAdapterCount()) {
            return modes;
        }
        for (platform::DisplayMode const& mode : m_backend.GetDisplayModes(int(adapter))) {
            modes.push_back(ToD3DMode(mode));
        }
        D3DDISPLAYMODE desktop;
        if (SUCCEEDED(GetAdapterDisplayMode(adapter, &desktop))) {
            static constexpr std::array<std::array<UINT, 2>, 9> sizes = {{{640, 480},
                                                                          {800, 600},
                                                                          {1024, 768},
                                                                          {1152, 864},
                                                                          {1280, 720},
                                                                          {1280, 960},
                                                                          {1280, 1024},
                                                                          {1600, 1200},
                                                                          {1920, 1080}}};
            std::vector<D3DDISPLAYMODE> extra{desktop};
            extra.back().Format = D3DFMT_X8R8G8B8;
            extra.push_back({desktop.Width, desktop.Height, desktop.RefreshRate, D3DFMT_R5G6B5});
            for (auto const& size : sizes) {
                if (size[0] <= desktop.Width && size[1] <= desktop.Height) {
                    extra.push_back({size[0], size[1], 0, D3DFMT_X8R8G8B8});
                    extra.push_back({size[0], size[1], 0, D3DFMT_R5G6B5});
                }
            }
            for (D3DDISPLAYMODE const& mode : extra) {
                bool listed = std::any_of(modes.begin(), modes.end(), [&](D3DDISPLAYMODE const& m) {
                    return m.Width == mode.Width && m.Height == mode.Height && m.Format == mode.Format;
                });
                if (!listed) {
                    modes.push_back(mode);
                }
            }
        }
        return modes;
    }

    platform::WindowBackend& m_backend;
    bool m_videoStarted = false;
};
} // namespace

namespace platform
{
IDirect3D8* CreateGLDirect3D8()
{
    return new GLDirect3D8();
}
} // namespace platform
