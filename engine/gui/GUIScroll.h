#pragma once

#include "gui/GUIWindow.h"

// A vertical scroll bar over positions 0 (top) to the range (bottom): the thumb is dragged,
// a click on the track above or below it steps by one, the wheel over it steps too.
class CGUIScroll : public CGUIWindow
{
public:
    static constexpr int ThumbHeightAboveTrack = 1;

    CGUIScroll() = default;
    ~CGUIScroll() override;

    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CShaderDescriptor const& thumbShader,
                CGUIWindow* parent);
    void Destroy();

    void Refresh(CVector2 const& cursorPosition) override;

    void SetRange(unsigned int range);
    unsigned int GetRange() const { return m_range; }
    void SetScrollPosition(unsigned int position);
    unsigned int GetScrollPosition() const { return m_scrollPosition; }
    bool IsDragged() const { return m_dragging; }
    CGUIWindow* GetThumb() { return &m_thumb; }

private:
    void PlaceThumb();
    float GetThumbHeight() const;
    float GetTravel() const { return GetSize().y - GetThumbHeight(); }
    void Step(int steps);

    CGUIWindow m_thumb;
    unsigned int m_range = 0;
    unsigned int m_scrollPosition = 0;
    bool m_dragging = false;
    // Where on the thumb it was grabbed, from its top edge.
    float m_grabOffset = 0.0f;
};
