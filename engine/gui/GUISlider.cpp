#include "gui/GUISlider.h"

#include <algorithm>
#include <cmath>

#include "input/Controls.h"

CGUISlider::~CGUISlider()
{
    Destroy();
}

void CGUISlider::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                        CVector2 const& size, CShaderDescriptor const& shader,
                        CShaderDescriptor const& toddlerShader, CVector2 const& toddlerSize,
                        CGUIWindow* parent, char const* overSound, char const* clickSound)
{
    Destroy();
    CGUIWindow::Create(context, properties, position, size, shader, parent);
    m_toddler.Create(context, GWP_SHOWN, CVector2(0.0f, 0.0f), toddlerSize, toddlerShader, this);
    m_toddler.SetHeightAboveParent(ToddlerHeightAboveTrack);
    m_ticksCount = 0;
    m_toddlerPosition = 0.0f;
    m_enabled = true;
    m_dragging = false;
    m_underMouse = false;
    m_overSound.Load(context.soundManager, overSound);
    m_clickSound.Load(context.soundManager, clickSound);
    PlaceToddler();
}

void CGUISlider::Destroy()
{
    m_toddler.Destroy();
    m_overSound.Release();
    m_clickSound.Release();
    m_dragging = false;
    CGUIWindow::Destroy();
}

float CGUISlider::GetTravel() const
{
    return std::max(0.0f, GetSize().x - m_toddler.GetSize().x);
}

float CGUISlider::Snap(float position) const
{
    position = std::clamp(position, 0.0f, 1.0f);
    if (m_ticksCount < 2)
        return position;
    float const steps = static_cast<float>(m_ticksCount - 1);
    return std::round(position * steps) / steps;
}

void CGUISlider::PlaceToddler()
{
    if (IsFree())
        return;
    float const y = 0.5f * (GetSize().y - m_toddler.GetSize().y);
    m_toddler.SetPosition(CVector2(m_toddlerPosition * GetTravel(), y));
}

void CGUISlider::SetTicksCount(unsigned int count)
{
    m_ticksCount = count;
    m_toddlerPosition = Snap(m_toddlerPosition);
    PlaceToddler();
}

void CGUISlider::SetTick(unsigned int tick)
{
    if (m_ticksCount < 2)
        return;
    SetToddlerPosition(static_cast<float>(std::min(tick, m_ticksCount - 1)) /
                       static_cast<float>(m_ticksCount - 1));
}

unsigned int CGUISlider::GetTick() const
{
    if (m_ticksCount < 2)
        return 0;
    return static_cast<unsigned int>(std::lround(m_toddlerPosition * static_cast<float>(m_ticksCount - 1)));
}

void CGUISlider::SetToddlerPosition(float position)
{
    m_toddlerPosition = Snap(position);
    PlaceToddler();
}

void CGUISlider::Enable(bool enable)
{
    m_enabled = enable;
    if (!enable)
        m_dragging = false;
}

void CGUISlider::Refresh(CVector2 const& cursorPosition)
{
    CGUIWindow::Refresh(cursorPosition);
    if (IsFree())
        return;
    CControls* controls = GetContext().controls;
    bool const on = IsVisible() && m_enabled && IsMouseOnWindow();
    if (on && !m_underMouse)
        m_overSound.Play();
    m_underMouse = on;
    if (!IsVisible() || !m_enabled || !controls) {
        m_dragging = false;
    } else if (!controls->IsKeyPressed("MOUSE1")) {
        if (m_dragging && m_toddlerPosition != m_grabbedPosition)
            m_clickSound.Play();
        m_dragging = false;
    } else if (!m_dragging && controls->IsKeyPressedOnce("MOUSE1") && IsMouseOnWindow()) {
        // Grabbing the toddler keeps the grip; a click on the track centres it under the cursor.
        m_toddler.Refresh(cursorPosition);
        float const toddlerLeft = m_toddler.GetAbsolutePosition().x;
        m_grabOffset =
            m_toddler.IsMouseOnWindow() ? cursorPosition.x - toddlerLeft : 0.5f * m_toddler.GetSize().x;
        m_dragging = true;
        m_grabbedPosition = m_toddlerPosition;
        m_clickSound.Play();
    }
    if (m_dragging) {
        float const travel = GetTravel();
        float const left = cursorPosition.x - m_grabOffset - GetAbsolutePosition().x;
        SetToddlerPosition(travel > 0.0f ? left / travel : 0.0f);
    }
    m_toddler.Refresh(cursorPosition);
}
