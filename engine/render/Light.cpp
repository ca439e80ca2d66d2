#include "render/Light.h"

#include <cmath>
#include <limits>

#include "render/Direct3DSubsystem.h"

namespace
{
D3DCOLORVALUE ToColorValue(CVector4 const& color)
{
    return {color.x, color.y, color.z, color.w};
}

D3DVECTOR ToVector(CVector3 const& vector)
{
    return {vector.x, vector.y, vector.z};
}
} // namespace

void CLight::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                    CDirect3DSubsystem* direct3DSubsystem, unsigned int index)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_direct3DSubsystem = direct3DSubsystem;
    m_index = index;
    m_enabled = true;
    m_type = LT_DIRECTIONAL;
    m_position.Set(0.0f);
    m_direction.Set(0.0f, 0.0f, -1.0f);
    m_ambient.Set(0.0f, 0.0f, 0.0f, 1.0f);
    m_diffuse.Set(1.0f);
    m_specular.Set(1.0f);
    m_attenuation[LAT_CONSTANT] = 1.0f;
    m_attenuation[LAT_LINEAR] = 0.0f;
    m_attenuation[LAT_QUADRATIC] = 0.0f;
    m_spotCutOff = DefaultSpotCutOff;
    m_spotExponent = 0.0f;
    m_shadowCaster = false;
    m_free = false;
}

void CLight::SetAttenuation(ELightAttenuationType const& type, float const& value)
{
    if (type <= LAT_QUADRATIC)
        m_attenuation[type] = value;
}

float CLight::GetAttenuation(ELightAttenuationType const& type) const
{
    return type <= LAT_QUADRATIC ? m_attenuation[type] : 0.0f;
}

void CLight::Refresh()
{
    IDirect3DDevice8* device = m_direct3DSubsystem->GetDevice();
    if (!m_enabled) {
        m_direct3DSubsystem->Check("Light::Refresh", device->LightEnable(m_index, false));
        return;
    }

    D3DLIGHT8 light = {};
    light.Range = std::sqrt(std::numeric_limits<float>::max());
    light.Ambient = ToColorValue(m_ambient);
    light.Diffuse = ToColorValue(m_diffuse);
    light.Specular = ToColorValue(m_specular);
    switch (m_type) {
    case LT_SPOT:
        light.Type = D3DLIGHT_SPOT;
        light.Position = ToVector(m_position);
        light.Direction = ToVector(m_direction);
        light.Attenuation0 = m_attenuation[LAT_CONSTANT];
        light.Attenuation1 = m_attenuation[LAT_LINEAR];
        light.Attenuation2 = m_attenuation[LAT_QUADRATIC];
        light.Falloff = 1.0f;
        light.Theta = m_spotCutOff;
        light.Phi = m_spotCutOff;
        break;
    case LT_POINT:
        light.Type = D3DLIGHT_POINT;
        light.Position = ToVector(m_position);
        light.Attenuation0 = m_attenuation[LAT_CONSTANT];
        light.Attenuation1 = m_attenuation[LAT_LINEAR];
        light.Attenuation2 = m_attenuation[LAT_QUADRATIC];
        break;
    default:
        light.Type = D3DLIGHT_DIRECTIONAL;
        light.Direction = ToVector(m_direction);
        break;
    }
    m_direct3DSubsystem->Check("Light::Refresh", device->SetLight(m_index, &light));
    m_direct3DSubsystem->Check("Light::Refresh", device->LightEnable(m_index, true));
}
