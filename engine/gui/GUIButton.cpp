#include "gui/GUIButton.h"

#include "input/Controls.h"

CGUIButton::~CGUIButton()
{
    Destroy();
}

void CGUIButton::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                        CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent,
                        char const* overSound, char const* clickSound)
{
    Destroy();
    CGUIWindow::Create(context, properties, position, size, shader, parent);
    m_enabled = true;
    m_pressing = false;
    m_pressed = false;
    m_underMouse = false;
    m_overSound.Load(context.soundManager, overSound);
    m_clickSound.Load(context.soundManager, clickSound);
    SetLookFrame(FrameNormal);
}

void CGUIButton::Destroy()
{
    m_overSound.Release();
    m_clickSound.Release();
    m_pressing = false;
    m_pressed = false;
    CGUIWindow::Destroy();
}

void CGUIButton::Refresh(CVector2 const& cursorPosition)
{
    CGUIWindow::Refresh(cursorPosition);
    m_pressed = false;
    if (IsFree() || !IsVisible() || !m_enabled) {
        m_pressing = false;
        m_underMouse = false;
        return;
    }
    bool const down = GetContext().controls && GetContext().controls->IsKeyPressed("MOUSE1");
    bool const on = IsMouseOnWindow();
    // The mouse came onto the button this frame (derived classes may show other frames, so
    // the look alone cannot tell).
    bool const arrived = on && !m_underMouse;
    m_underMouse = on;

    if (!m_pressing && on && down)
        m_pressing = true;
    if (m_pressing) {
        if (down) {
            SetLookFrame(on ? FramePressed : FrameNormal);
            return;
        }
        m_pressing = false;
        if (on) {
            m_pressed = true;
            m_clickSound.Play();
        }
    }
    if (on) {
        if (arrived)
            m_overSound.Play();
        SetLookFrame(FrameUnderMouse);
    } else {
        SetLookFrame(FrameNormal);
    }
}
