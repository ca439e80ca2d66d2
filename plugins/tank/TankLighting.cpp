#include "TankLighting.h"

#include <cmath>

#include "TankFog.h"
#include "core/Engine.h"
#include "model/ModelManager.h"
#include "render/LightManager.h"

void CTankLighting::Create(CEngine* engine, int sunLight)
{
    Destroy();
    m_engine = engine;
    m_sunLight = sunLight;
    m_water = engine->GetModelManager()->GetClearColor();
    CLightManager* lights = engine->GetLightManager();
    if (lights->GetLightsCount() < CLightManager::MaxLights) {
        m_lampLight = static_cast<int>(lights->AddLight());
        CLight* lamp = lights->GetLight(static_cast<unsigned int>(m_lampLight));
        CVector3 direction(LampDirection[0], LampDirection[1], LampDirection[2]);
        direction.SetLength(1.0f);
        lamp->SetType(LT_DIRECTIONAL);
        lamp->SetDirection(direction);
        lamp->SetDiffuseColor(CVector4(0.0f, 0.0f, 0.0f, 1.0f));
        lamp->SetSpecularColor(CVector4(0.0f, 0.0f, 0.0f, 1.0f));
        lamp->Enable();
    }
}

void CTankLighting::Destroy()
{
    if (!m_engine)
        return;
    if (m_lampLight >= 0)
        m_engine->GetLightManager()->RemoveLight(static_cast<unsigned int>(m_lampLight));
    m_lampLight = -1;
    m_sunLight = -1;
    m_lightSet = false;
    m_engine = nullptr;
}

CVector4 CTankLighting::GetFogColour() const
{
    return CVector4(m_water.x * m_light.water.x, m_water.y * m_light.water.y, m_water.z * m_light.water.z,
                    m_water.w);
}

namespace
{
bool IsWithinStep(CVector3 const& a, CVector3 const& b, float step)
{
    return std::fabs(a.x - b.x) < step && std::fabs(a.y - b.y) < step && std::fabs(a.z - b.z) < step;
}

bool IsWithinStep(SDayLight const& a, SDayLight const& b, float step)
{
    return IsWithinStep(a.sun, b.sun, step) && IsWithinStep(a.ambient, b.ambient, step) &&
           IsWithinStep(a.water, b.water, step) && IsWithinStep(a.lamp, b.lamp, step);
}
} // namespace

void CTankLighting::Refresh(float hour)
{
    if (!m_engine)
        return;
    SDayLight const light = CDayLight::At(hour);
    if (!m_lightSet || !IsWithinStep(light, m_light, LightStep)) {
        m_light = light;
        m_lightSet = true;
        CLightManager* lights = m_engine->GetLightManager();
        lights->SetGlobalAmbient(m_light.ambient);
        auto setColour = [lights](int index, CVector3 const& colour) {
            if (index >= 0)
                lights->GetLight(static_cast<unsigned int>(index))
                    ->SetDiffuseColor(CVector4(colour.x, colour.y, colour.z, 1.0f));
        };
        setColour(m_sunLight, m_light.sun);
        setColour(m_lampLight, m_light.lamp);
    }
    CTankFog::Apply(m_engine->GetDirect3DSubsystem(), GetFogColour());
}
