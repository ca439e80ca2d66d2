#pragma once

#include "gui/GUISound.h"
#include "gui/GUIWindow.h"

// A window that reports a click: pressed on it and released on it. Its first texture stage
// shows frame 0 normally, 1 under the mouse and 2 while pressed.
class CGUIButton : public CGUIWindow
{
public:
    static constexpr unsigned int FrameNormal = 0;
    static constexpr unsigned int FrameUnderMouse = 1;
    static constexpr unsigned int FramePressed = 2;

    CGUIButton() = default;
    ~CGUIButton() override;

    // `overSound` plays when the mouse comes onto the button, `clickSound` on a click.
    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent,
                char const* overSound = nullptr, char const* clickSound = nullptr);
    void Destroy();

    void Refresh(CVector2 const& cursorPosition) override;

    void Enable(bool enable) { m_enabled = enable; }
    bool IsEnabled() const { return m_enabled; }
    // True for the one frame in which a click completed.
    bool IsPressed() const { return m_pressed; }

protected:
    // A press is in progress and the mouse is on the button.
    bool IsHeldOnButton() const { return m_pressing && IsMouseOnWindow(); }

private:
    bool m_enabled = true;
    bool m_pressing = false;
    bool m_pressed = false;
    bool m_underMouse = false;
    CGUISound m_overSound;
    CGUISound m_clickSound;
};
