#include "TankFog.h"

#include <bit>

#include "platform/gl/Direct3D8.h"
#include "render/Direct3DSubsystem.h"

namespace
{
DWORD PackColour(CVector4 const& colour)
{
    auto channel = [](float c) -> DWORD {
        if (c >= 1.0f)
            return 255;
        if (c <= 0.0f)
            return 0;
        return static_cast<DWORD>(c * 255.0f + 0.5f);
    };
    return (channel(colour.w) << 24) | (channel(colour.x) << 16) | (channel(colour.y) << 8) |
           channel(colour.z);
}
} // namespace

void CTankFog::Apply(CDirect3DSubsystem* direct3DSubsystem, CVector4 const& water)
{
    IDirect3DDevice8* device = direct3DSubsystem ? direct3DSubsystem->GetDevice() : nullptr;
    if (!device)
        return;
    device->SetRenderState(D3DRS_FOGCOLOR, PackColour(water));
    device->SetRenderState(D3DRS_FOGVERTEXMODE, D3DFOG_LINEAR);
    device->SetRenderState(D3DRS_FOGSTART, std::bit_cast<DWORD>(Start));
    device->SetRenderState(D3DRS_FOGEND, std::bit_cast<DWORD>(End));
    device->SetRenderState(D3DRS_FOGENABLE, 1);
}

void CTankFog::Keep(CDirect3DSubsystem* direct3DSubsystem, CVector4 const& water)
{
    IDirect3DDevice8* device = direct3DSubsystem ? direct3DSubsystem->GetDevice() : nullptr;
    DWORD enabled = 0;
    if (device && device->GetRenderState(D3DRS_FOGENABLE, &enabled) == D3D_OK && !enabled)
        Apply(direct3DSubsystem, water);
}

void CTankFog::Remove(CDirect3DSubsystem* direct3DSubsystem)
{
    IDirect3DDevice8* device = direct3DSubsystem ? direct3DSubsystem->GetDevice() : nullptr;
    if (device)
        device->SetRenderState(D3DRS_FOGENABLE, 0);
}
