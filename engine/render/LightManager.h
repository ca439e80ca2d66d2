#pragma once

#include <cstdint>

#include "math/Vector.h"
#include "render/Light.h"
#include "render/LightPattern.h"

class CDirect3DSubsystem;
class CMemoryManager;
class CMessageManager;

// Up to eight lights and the global ambient colour on the device.
class CLightManager
{
public:
    static constexpr unsigned int MaxLights = 8;

    CLightManager() = default;
    ~CLightManager() { Destroy(); }
    CLightManager(CLightManager const&) = delete;
    CLightManager& operator=(CLightManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                CDirect3DSubsystem* direct3DSubsystem);
    void Destroy();
    bool IsFree() const { return m_free; }

    // The first free slot, which is also the light's device index; a ninth light is fatal.
    unsigned int AddLight();
    void RemoveLight(unsigned int const& index);
    // Null for an index past the pool.
    CLight* GetLight(unsigned int const& index);
    CLight const& GetLightAt(unsigned int index) const { return m_lights[index % MaxLights]; }
    unsigned int GetLightsCount() const;

    // r, g, b in 0..1.
    void SetGlobalAmbient(CVector3 const& color) { m_globalAmbient = color; }
    CVector3 const& GetGlobalAmbient() const { return m_globalAmbient; }
    // 0xFF000000 | r·255 << 16 | g·255 << 8 | b·255, each product truncated.
    static std::uint32_t PackAmbient(CVector3 const& color);

    // Switches device lighting on or off for the draws that follow; a lit model receives the
    // light pattern, its still-only layers too when `still`.
    void Enable(bool enable, bool still = false);
    CLightPattern& GetPattern() { return m_pattern; }
    CLightPattern const& GetPattern() const { return m_pattern; }
    void Refresh();

protected:
    void ResetD3D();

private:
    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CDirect3DSubsystem* m_direct3DSubsystem = nullptr;
    CLight m_lights[MaxLights];
    CVector3 m_globalAmbient{0.0f, 0.0f, 0.0f};
    CLightPattern m_pattern;
};
