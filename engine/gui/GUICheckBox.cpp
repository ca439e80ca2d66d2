#include "gui/GUICheckBox.h"

void CGUICheckBox::Refresh(CVector2 const& cursorPosition)
{
    CGUIButton::Refresh(cursorPosition);
    if (IsFree() || !IsVisible())
        return;
    if (IsPressed()) {
        if (!m_checked)
            m_checked = true;
        else if (!(GetProperties() & GWP_CHECK_ONLY))
            m_checked = false;
    }
    // A press in progress, or the mouse over a clear box, shows the under-the-mouse look.
    if (IsHeldOnButton() || (IsMouseOnWindow() && !m_checked))
        SetLookFrame(FrameUnderMouse);
    else
        SetLookFrame(m_checked ? FramePressed : FrameNormal);
}
