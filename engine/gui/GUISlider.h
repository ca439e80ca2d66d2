#pragma once

#include "gui/GUISound.h"
#include "gui/GUIWindow.h"

// A horizontal track with a toddler that the mouse drags between 0 (left) and 1 (right);
// with two or more ticks the toddler snaps to them. It plays `overSound` when the mouse comes
// onto it and `clickSound` when it is grabbed and when a drag lets go at a new value.
class CGUISlider : public CGUIWindow
{
public:
    static constexpr int ToddlerHeightAboveTrack = 1;

    CGUISlider() = default;
    ~CGUISlider() override;

    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CShaderDescriptor const& toddlerShader,
                CVector2 const& toddlerSize, CGUIWindow* parent, char const* overSound = nullptr,
                char const* clickSound = nullptr);
    void Destroy();

    void Refresh(CVector2 const& cursorPosition) override;

    // 0 and 1 mean a continuous slider.
    void SetTicksCount(unsigned int count);
    unsigned int GetTicksCount() const { return m_ticksCount; }
    void SetTick(unsigned int tick);
    unsigned int GetTick() const;
    void SetToddlerPosition(float position);
    float GetToddlerPosition() const { return m_toddlerPosition; }
    void Enable(bool enable);
    bool IsEnabled() const { return m_enabled; }
    bool IsDragged() const { return m_dragging; }
    CGUIWindow* GetToddler() { return &m_toddler; }

private:
    float Snap(float position) const;
    void PlaceToddler();
    float GetTravel() const;

    CGUIWindow m_toddler;
    unsigned int m_ticksCount = 0;
    float m_toddlerPosition = 0.0f;
    bool m_enabled = true;
    bool m_dragging = false;
    // Where on the toddler it was grabbed, from its left edge.
    float m_grabOffset = 0.0f;
    float m_grabbedPosition = 0.0f;
    bool m_underMouse = false;
    CGUISound m_overSound;
    CGUISound m_clickSound;
};
