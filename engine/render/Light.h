#pragma once

#include "math/Angles.h"
#include "math/Vector.h"

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;

enum ELightType : unsigned int
{
    LT_DIRECTIONAL = 0,
    LT_SPOT = 1,
    LT_POINT = 2,
};

enum ELightAttenuationType : unsigned int
{
    LAT_CONSTANT = 0,
    LAT_LINEAR = 1,
    LAT_QUADRATIC = 2,
};

// One fixed-function light in device slot `index`.
class CLight
{
public:
    // 45 degrees, until told otherwise.
    static constexpr float DefaultSpotCutOff = 0.25f * math::Pi;

    CLight() = default;
    ~CLight() { Destroy(); }
    CLight(CLight const&) = default;
    CLight& operator=(CLight const&) = default;

    // An enabled white directional light along −z, no ambient part, attenuation (1, 0, 0).
    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                CDirect3DSubsystem* direct3DSubsystem, unsigned int index);
    void Destroy() { m_free = true; }
    bool IsFree() const { return m_free; }

    void Enable() { m_enabled = true; }
    void Disable() { m_enabled = false; }
    bool IsEnabled() const { return m_enabled; }

    void SetType(ELightType const& type) { m_type = type; }
    ELightType GetType() const { return m_type; }
    void SetPosition(CVector3 const& position) { m_position = position; }
    CVector3 const& GetPosition() const { return m_position; }
    void SetDirection(CVector3 const& direction) { m_direction = direction; }
    CVector3 const& GetDirection() const { return m_direction; }
    void SetAmbientColor(CVector4 const& color) { m_ambient = color; }
    CVector4 const& GetAmbientColor() const { return m_ambient; }
    void SetDiffuseColor(CVector4 const& color) { m_diffuse = color; }
    CVector4 const& GetDiffuseColor() const { return m_diffuse; }
    void SetSpecularColor(CVector4 const& color) { m_specular = color; }
    CVector4 const& GetSpecularColor() const { return m_specular; }
    void SetAttenuation(ELightAttenuationType const& type, float const& value);
    float GetAttenuation(ELightAttenuationType const& type) const;
    // The cone angle given to the device for both the inner and the outer cone.
    void SetSpotCutOff(float const& cutOff) { m_spotCutOff = cutOff; }
    float GetSpotCutOff() const { return m_spotCutOff; }
    void SetSpotExponent(float const& exponent) { m_spotExponent = exponent; }
    float GetSpotExponent() const { return m_spotExponent; }
    void SetShadowCaster(bool caster) { m_shadowCaster = caster; }
    bool IsShadowCaster() const { return m_shadowCaster; }
    unsigned int GetLightIndex() const { return m_index; }

    // Sends the light to its slot, or only switches the slot off when disabled.
    void Refresh();

private:
    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    unsigned int m_index = 0;
    bool m_enabled = true;
    ELightType m_type = LT_DIRECTIONAL;
    CVector3 m_position{0.0f, 0.0f, 0.0f};
    CVector3 m_direction{0.0f, 0.0f, -1.0f};
    CVector4 m_ambient{0.0f, 0.0f, 0.0f, 1.0f};
    CVector4 m_diffuse{1.0f, 1.0f, 1.0f, 1.0f};
    CVector4 m_specular{1.0f, 1.0f, 1.0f, 1.0f};
    float m_attenuation[3] = {1.0f, 0.0f, 0.0f};
    float m_spotCutOff = DefaultSpotCutOff;
    float m_spotExponent = 0.0f;
    bool m_shadowCaster = false;
};
