#include "platform/gl/Direct3D8.h"

#include "platform/gl/GLDirect3D8.h"

namespace
{
platform::Direct3DFactory g_factory = nullptr;
void* g_factoryContext = nullptr;
} // namespace

char const* GetDirect3DErrorName(HRESULT result)
{
    switch (result) {
    case D3D_OK:
        return "D3D_OK";
    case E_FAIL:
        return "E_FAIL";
    case E_OUTOFMEMORY:
        return "E_OUTOFMEMORY";
    case E_NOTIMPL:
        return "E_NOTIMPL";
    case D3DERR_WRONGTEXTUREFORMAT:
        return "D3DERR_WRONGTEXTUREFORMAT";
    case D3DERR_UNSUPPORTEDCOLOROPERATION:
        return "D3DERR_UNSUPPORTEDCOLOROPERATION";
    case D3DERR_UNSUPPORTEDALPHAOPERATION:
        return "D3DERR_UNSUPPORTEDALPHAOPERATION";
    case D3DERR_TOOMANYOPERATIONS:
        return "D3DERR_TOOMANYOPERATIONS";
    case D3DERR_CONFLICTINGRENDERSTATE:
        return "D3DERR_CONFLICTINGRENDERSTATE";
    case D3DERR_UNSUPPORTEDTEXTUREFILTER:
        return "D3DERR_UNSUPPORTEDTEXTUREFILTER";
    case D3DERR_DRIVERINTERNALERROR:
        return "D3DERR_DRIVERINTERNALERROR";
    case D3DERR_NOTFOUND:
        return "D3DERR_NOTFOUND";
    case D3DERR_MOREDATA:
        return "D3DERR_MOREDATA";
    case D3DERR_DEVICELOST:
        return "D3DERR_DEVICELOST";
    case D3DERR_DEVICENOTRESET:
        return "D3DERR_DEVICENOTRESET";
    case D3DERR_NOTAVAILABLE:
        return "D3DERR_NOTAVAILABLE";
    case D3DERR_OUTOFVIDEOMEMORY:
        return "D3DERR_OUTOFVIDEOMEMORY";
    case D3DERR_INVALIDDEVICE:
        return "D3DERR_INVALIDDEVICE";
    case D3DERR_INVALIDCALL:
        return "D3DERR_INVALIDCALL";
    default:
        return "Unknown";
    }
}

IDirect3D8* Direct3DCreate8(UINT sdkVersion)
{
    if (sdkVersion != D3D_SDK_VERSION) {
        return nullptr;
    }
    if (g_factory) {
        return g_factory(g_factoryContext);
    }
    return platform::CreateGLDirect3D8();
}

namespace platform
{
void SetDirect3DFactory(Direct3DFactory factory, void* context)
{
    g_factory = factory;
    g_factoryContext = factory ? context : nullptr;
}
} // namespace platform
