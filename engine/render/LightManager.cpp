#include "render/LightManager.h"

#include "core/MessageManager.h"
#include "render/Direct3DSubsystem.h"

namespace
{
// c·255 truncated, with c kept within 0..1 so one channel cannot spill into the next.
std::uint32_t AmbientChannel(float channel)
{
    if (!(channel > 0.0f))
        return 0;
    if (channel >= 1.0f)
        return 255;
    return static_cast<std::uint32_t>(channel * 255.0f);
}
} // namespace

std::uint32_t CLightManager::PackAmbient(CVector3 const& color)
{
    return 0xFF000000u | (AmbientChannel(color.x) << 16) | (AmbientChannel(color.y) << 8) |
           AmbientChannel(color.z);
}

void CLightManager::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                           CDirect3DSubsystem* direct3DSubsystem)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_direct3DSubsystem = direct3DSubsystem;
    m_messageManager->Write("...Creating light manager\n");
    m_globalAmbient.Set(0.0f);
    m_free = false;
}

void CLightManager::Destroy()
{
    if (m_free)
        return;
    for (CLight& light : m_lights)
        light.Destroy();
    m_pattern.Clear();
    m_messageManager->Write("...Destroying light manager\n");
    m_free = true;
}

unsigned int CLightManager::AddLight()
{
    for (unsigned int i = 0; i < MaxLights; ++i) {
        if (m_lights[i].IsFree()) {
            m_lights[i].Create(m_messageManager, m_memoryManager, m_direct3DSubsystem, i);
            return i;
        }
    }
    m_messageManager->WriteFatalError("Light Manager: buffer is overflowed");
}

void CLightManager::RemoveLight(unsigned int const& index)
{
    if (index >= MaxLights || m_lights[index].IsFree())
        return;
    // The slot's light stays on the device otherwise.
    if (IDirect3DDevice8* device = m_direct3DSubsystem ? m_direct3DSubsystem->GetDevice() : nullptr)
        m_direct3DSubsystem->Check("LightManager::RemoveLight", device->LightEnable(index, false));
    m_lights[index].Destroy();
}

CLight* CLightManager::GetLight(unsigned int const& index)
{
    return index < MaxLights ? &m_lights[index] : nullptr;
}

unsigned int CLightManager::GetLightsCount() const
{
    unsigned int count = 0;
    for (CLight const& light : m_lights)
        count += light.IsFree() ? 0 : 1;
    return count;
}

void CLightManager::Enable(bool enable, bool still)
{
    m_direct3DSubsystem->SetLighting(enable ? 1 : 0);
    m_pattern.Receive(enable, still);
}

void CLightManager::ResetD3D()
{
    m_direct3DSubsystem->SetLighting(0);
}

void CLightManager::Refresh()
{
    if (m_direct3DSubsystem->WasDeviceLost())
        ResetD3D();
    m_direct3DSubsystem->Check("LightManager::Refresh", m_direct3DSubsystem->GetDevice()->SetRenderState(
                                                            D3DRS_AMBIENT, PackAmbient(m_globalAmbient)));
    for (CLight& light : m_lights) {
        if (!light.IsFree())
            light.Refresh();
    }
}
