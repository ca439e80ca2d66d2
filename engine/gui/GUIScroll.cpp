#include "gui/GUIScroll.h"

#include <algorithm>
#include <cmath>

#include "input/Controls.h"

CGUIScroll::~CGUIScroll()
{
    Destroy();
}

void CGUIScroll::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                        CVector2 const& size, CShaderDescriptor const& shader,
                        CShaderDescriptor const& thumbShader, CGUIWindow* parent)
{
    Destroy();
    CGUIWindow::Create(context, properties, position, size, shader, parent);
    m_thumb.Create(context, GWP_SHOWN, CVector2(0.0f, 0.0f), CVector2(size.x, size.y), thumbShader, this);
    m_thumb.SetHeightAboveParent(ThumbHeightAboveTrack);
    m_range = 0;
    m_scrollPosition = 0;
    m_dragging = false;
    PlaceThumb();
}

void CGUIScroll::Destroy()
{
    m_thumb.Destroy();
    m_dragging = false;
    CGUIWindow::Destroy();
}

float CGUIScroll::GetThumbHeight() const
{
    float const height = GetSize().y;
    float const share = height / static_cast<float>(m_range + 1);
    return std::min(height, std::max(share, std::min(height, GetSize().x)));
}

void CGUIScroll::PlaceThumb()
{
    if (IsFree())
        return;
    float const thumbHeight = GetThumbHeight();
    float const fraction =
        m_range ? static_cast<float>(m_scrollPosition) / static_cast<float>(m_range) : 0.0f;
    m_thumb.SetSize(CVector2(GetSize().x, thumbHeight));
    m_thumb.SetPosition(CVector2(0.0f, (GetSize().y - thumbHeight) * (1.0f - fraction)));
}

void CGUIScroll::SetRange(unsigned int range)
{
    m_range = range;
    m_scrollPosition = std::min(m_scrollPosition, m_range);
    PlaceThumb();
}

void CGUIScroll::SetScrollPosition(unsigned int position)
{
    m_scrollPosition = std::min(position, m_range);
    PlaceThumb();
}

void CGUIScroll::Step(int steps)
{
    long long const next = static_cast<long long>(m_scrollPosition) + steps;
    SetScrollPosition(static_cast<unsigned int>(std::clamp<long long>(next, 0, m_range)));
}

void CGUIScroll::Refresh(CVector2 const& cursorPosition)
{
    CGUIWindow::Refresh(cursorPosition);
    if (IsFree())
        return;
    m_thumb.Refresh(cursorPosition);
    CControls* controls = GetContext().controls;
    if (!IsVisible() || !controls) {
        m_dragging = false;
        return;
    }
    if (!controls->IsKeyPressed("MOUSE1")) {
        m_dragging = false;
    } else if (!m_dragging && controls->IsKeyPressedOnce("MOUSE1") && IsMouseOnWindow()) {
        float const thumbTop = m_thumb.GetAbsolutePosition().y + m_thumb.GetSize().y;
        if (m_thumb.IsMouseOnWindow()) {
            m_dragging = true;
            m_grabOffset = thumbTop - cursorPosition.y;
        } else {
            Step(cursorPosition.y > thumbTop ? -1 : 1);
        }
    }
    if (m_dragging && m_range > 0) {
        float const travel = GetTravel();
        float const top = GetAbsolutePosition().y + GetSize().y;
        float const fromTop = top - (cursorPosition.y + m_grabOffset);
        float const fraction = travel > 0.0f ? std::clamp(fromTop / travel, 0.0f, 1.0f) : 0.0f;
        SetScrollPosition(static_cast<unsigned int>(std::lround(fraction * static_cast<float>(m_range))));
    }
    if (IsMouseOnWindow()) {
        long const wheel = controls->GetMouseWheelOffset();
        if (wheel != 0)
            Step(wheel > 0 ? -1 : 1);
    }
    m_thumb.Refresh(cursorPosition);
}
