#pragma once

#include "gui/GUIButton.h"

// A button that toggles a check on every click (only sets it with property GWP_CHECK_ONLY).
// Frame 2 shows a set check, frame 1 a press in progress or the mouse over a clear box.
class CGUICheckBox : public CGUIButton
{
public:
    CGUICheckBox() = default;
    ~CGUICheckBox() override = default;

    void Refresh(CVector2 const& cursorPosition) override;

    void SetCheck(bool check) { m_checked = check; }
    bool IsChecked() const { return m_checked; }

private:
    bool m_checked = false;
};
