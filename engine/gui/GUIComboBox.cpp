#include "gui/GUIComboBox.h"

#include <algorithm>
#include <cmath>

#include "input/Controls.h"
#include "render/CameraManager.h"

namespace
{
// The highlighted row's text; the others use the box's text colour.
CColor const HighlightColor(CVector4(1.0f, 0.85f, 0.35f, 1.0f));
} // namespace

CGUIComboBox::~CGUIComboBox()
{
    Destroy();
}

void CGUIComboBox::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                          CVector2 const& size, CShaderDescriptor const& shader,
                          CShaderDescriptor const& listShader, CGUIWindow* parent, CGUIFont* font,
                          CColor const& textColor, char const* overSound, char const* clickSound)
{
    Destroy();
    CGUIWindow::Create(context, properties, position, size, shader, parent);
    m_list.Create(context, 0, CVector2(0.0f, 0.0f), CVector2(size.x, 0.0f), listShader, this);
    m_list.SetHeightAboveParent(ListHeightAboveBox);
    m_boxFont.Create(font);
    m_listFont.Create(font);
    m_textColor = textColor;
    m_overSound.Load(context.soundManager, overSound);
    m_clickSound.Load(context.soundManager, clickSound);
    m_items.clear();
    m_selection = NoSelection;
    m_highlight = NoSelection;
    m_opened = false;
    m_underMouse = false;
    m_firstVisible = 0;
}

void CGUIComboBox::Destroy()
{
    m_list.Destroy();
    m_boxFont.Destroy();
    m_listFont.Destroy();
    m_overSound.Release();
    m_clickSound.Release();
    m_items.clear();
    m_selection = NoSelection;
    m_opened = false;
    CGUIWindow::Destroy();
}

unsigned int CGUIComboBox::AddItem(char const* text)
{
    m_items.emplace_back(text ? text : "");
    UpdateList();
    return static_cast<unsigned int>(m_items.size() - 1);
}

void CGUIComboBox::RemoveItem(unsigned int index)
{
    if (index >= m_items.size())
        return;
    m_items.erase(m_items.begin() + index);
    if (m_selection == static_cast<int>(index))
        m_selection = NoSelection;
    else if (m_selection > static_cast<int>(index))
        --m_selection;
    UpdateList();
}

void CGUIComboBox::RemoveAllItems()
{
    m_items.clear();
    m_selection = NoSelection;
    UpdateList();
}

char const* CGUIComboBox::GetItemText(unsigned int index) const
{
    return index < m_items.size() ? m_items[index].c_str() : nullptr;
}

void CGUIComboBox::SetSelection(int index)
{
    m_selection = (index >= 0 && index < static_cast<int>(m_items.size())) ? index : NoSelection;
}

void CGUIComboBox::Open(bool open)
{
    bool const opening = open && !m_opened;
    m_opened = open && !m_items.empty();
    if (opening && m_opened) {
        m_highlight = m_selection != NoSelection ? m_selection : 0;
        m_firstVisible = 0;
    }
    UpdateList();
    if (opening && m_opened)
        Highlight(m_highlight);
}

float CGUIComboBox::GetScreenHeight() const
{
    CCameraManager* cameras = GetContext().cameraManager;
    CCamera const* camera = cameras ? cameras->GetCamera(GetContext().cameraIndex) : nullptr;
    return camera ? camera->GetScreenHeight() : 0.0f;
}

void CGUIComboBox::UpdateList()
{
    if (IsFree())
        return;
    if (m_items.empty())
        m_opened = false;
    float const rowHeight = GetSize().y;
    unsigned int const count = static_cast<unsigned int>(m_items.size());
    // Rows that fit between the box and the screen's lower and upper edges.
    float const low = GetAbsolutePosition().y;
    float const screenHeight = GetScreenHeight();
    unsigned int rowsBelow = count;
    unsigned int rowsAbove = 0;
    if (rowHeight > 0.0f && screenHeight > 0.0f) {
        rowsBelow = static_cast<unsigned int>(std::max(0.0f, std::floor(low / rowHeight)));
        rowsAbove = static_cast<unsigned int>(
            std::max(0.0f, std::floor((screenHeight - low - rowHeight) / rowHeight)));
    }
    m_listAbove = count > rowsBelow && (count <= rowsAbove || rowsAbove > rowsBelow);
    m_visibleRows = std::min(count, std::max(1u, m_listAbove ? rowsAbove : rowsBelow));
    m_firstVisible = std::min(m_firstVisible, count - std::min(count, m_visibleRows));
    float const height = rowHeight * static_cast<float>(m_visibleRows);
    m_list.SetSize(CVector2(GetSize().x, height));
    m_list.SetPosition(CVector2(0.0f, m_listAbove ? rowHeight : -height));
    m_list.Show(m_opened);
}

int CGUIComboBox::GetItemAt(CVector2 const& point) const
{
    float const rowHeight = GetSize().y;
    CVector2 const low = m_list.GetAbsolutePosition();
    CVector2 const high = low + m_list.GetSize();
    if (rowHeight <= 0.0f || point.x <= low.x || point.x >= high.x || point.y <= low.y || point.y >= high.y)
        return NoSelection;
    unsigned int const row =
        m_firstVisible + static_cast<unsigned int>(std::floor((high.y - point.y) / rowHeight));
    return row < m_items.size() ? static_cast<int>(row) : NoSelection;
}

bool CGUIComboBox::GetItemRowPosition(unsigned int index, CVector2* position) const
{
    if (!m_opened || index < m_firstVisible || index >= m_firstVisible + m_visibleRows)
        return false;
    float const rowHeight = GetSize().y;
    CVector2 const low = m_list.GetAbsolutePosition();
    float const top = low.y + m_list.GetSize().y;
    *position = CVector2(low.x, top - rowHeight * static_cast<float>(index - m_firstVisible + 1));
    return true;
}

void CGUIComboBox::Scroll(int rows)
{
    int const count = static_cast<int>(m_items.size());
    int const last = std::max(0, count - static_cast<int>(m_visibleRows));
    m_firstVisible = static_cast<unsigned int>(std::clamp(static_cast<int>(m_firstVisible) + rows, 0, last));
}

void CGUIComboBox::Highlight(int item)
{
    if (m_items.empty())
        return;
    m_highlight = std::clamp(item, 0, static_cast<int>(m_items.size()) - 1);
    unsigned int const row = static_cast<unsigned int>(m_highlight);
    if (row < m_firstVisible)
        m_firstVisible = row;
    else if (row >= m_firstVisible + m_visibleRows)
        m_firstVisible = row + 1 - m_visibleRows;
}

void CGUIComboBox::Click(CVector2 const& cursorPosition)
{
    if (IsMouseOnWindow()) {
        Open(!m_opened);
        m_clickSound.Play();
        return;
    }
    if (!m_opened)
        return;
    int const row = GetItemAt(cursorPosition);
    if (row != NoSelection) {
        m_selection = row;
        m_clickSound.Play();
    }
    Open(false);
}

void CGUIComboBox::TakeKeys()
{
    CControls* controls = GetContext().controls;
    if (!controls)
        return;
    int const page = static_cast<int>(std::max(1u, m_visibleRows));
    if (controls->IsKeyPressedOnce("UPARROW"))
        Highlight(m_highlight - 1);
    else if (controls->IsKeyPressedOnce("DOWNARROW"))
        Highlight(m_highlight + 1);
    else if (controls->IsKeyPressedOnce("PAGEUP"))
        Highlight(m_highlight - page);
    else if (controls->IsKeyPressedOnce("PAGEDOWN"))
        Highlight(m_highlight + page);
    else if (controls->IsKeyPressedOnce("ENTER")) {
        m_selection = m_highlight;
        m_clickSound.Play();
        Open(false);
        return;
    } else if (controls->IsKeyPressedOnce("ESCAPE")) {
        Open(false);
        return;
    }
    // The wheel turns away from the user (positive) to show earlier items.
    std::int32_t const wheel = controls->GetControlsState()->mouse.wheel;
    if (wheel != 0)
        Scroll(wheel > 0 ? -1 : 1);
}

void CGUIComboBox::Draw()
{
    float const size = m_boxFont.GetParentFont() ? m_boxFont.GetParentFont()->GetSize() : m_boxFont.GetSize();
    float const rowHeight = GetSize().y;
    float const inset = 0.5f * (rowHeight - size);
    CVector2 const low = GetAbsolutePosition();

    m_boxFont.SetModelDepthValue(GetDepth() - TextDepthOffset);
    if (m_selection != NoSelection)
        m_boxFont.Print(low + CVector2(inset, inset), m_textColor, m_items[m_selection]);

    if (!m_opened || !m_list.IsVisible())
        return;
    m_listFont.SetModelDepthValue(m_list.GetDepth() - TextDepthOffset);
    for (unsigned int i = m_firstVisible; i < m_firstVisible + m_visibleRows && i < m_items.size(); ++i) {
        CVector2 row;
        GetItemRowPosition(i, &row);
        CColor const& color = static_cast<int>(i) == m_highlight ? HighlightColor : m_textColor;
        m_listFont.Print(row + CVector2(inset + m_pictureWidth, inset), color, m_items[i]);
    }
}

void CGUIComboBox::Refresh(CVector2 const& cursorPosition)
{
    CGUIWindow::Refresh(cursorPosition);
    if (IsFree())
        return;
    m_list.Refresh(cursorPosition);
    if (IsVisible()) {
        bool const on = IsMouseOnWindow();
        if (on && !m_underMouse)
            m_overSound.Play();
        m_underMouse = on;
        if (m_opened) {
            int const hovered = GetItemAt(cursorPosition);
            if (hovered != NoSelection && m_list.IsMouseOnWindow())
                m_highlight = hovered;
            TakeKeys();
        }
        if (GetContext().controls && GetContext().controls->IsKeyPressedOnce("MOUSE1"))
            Click(cursorPosition);
        Draw();
    } else if (m_opened) {
        Open(false);
    }
    m_boxFont.Refresh();
    m_listFont.Refresh();
}
