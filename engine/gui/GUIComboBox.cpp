#include "gui/GUIComboBox.h"

#include <cmath>

#include "input/Controls.h"

CGUIComboBox::~CGUIComboBox()
{
    Destroy();
}

void CGUIComboBox::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                          CVector2 const& size, CShaderDescriptor const& shader,
                          CShaderDescriptor const& listShader, CGUIWindow* parent, CGUIFont* font,
                          CColor const& textColor)
{
    Destroy();
    CGUIWindow::Create(context, properties, position, size, shader, parent);
    m_list.Create(context, 0, CVector2(0.0f, 0.0f), CVector2(size.x, 0.0f), listShader, this);
    m_list.SetHeightAboveParent(ListHeightAboveBox);
    m_boxFont.Create(font);
    m_listFont.Create(font);
    m_textColor = textColor;
    m_items.clear();
    m_selection = NoSelection;
    m_opened = false;
}

void CGUIComboBox::Destroy()
{
    m_list.Destroy();
    m_boxFont.Destroy();
    m_listFont.Destroy();
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
    m_opened = open && !m_items.empty();
    UpdateList();
}

void CGUIComboBox::UpdateList()
{
    if (IsFree())
        return;
    if (m_items.empty())
        m_opened = false;
    float const height = GetSize().y * static_cast<float>(m_items.size());
    m_list.SetSize(CVector2(GetSize().x, height));
    m_list.SetPosition(CVector2(0.0f, -height));
    m_list.Show(m_opened);
}

int CGUIComboBox::GetItemAt(CVector2 const& point) const
{
    float const rowHeight = GetSize().y;
    CVector2 const low = m_list.GetAbsolutePosition();
    CVector2 const high = low + m_list.GetSize();
    if (rowHeight <= 0.0f || point.x <= low.x || point.x >= high.x || point.y <= low.y || point.y >= high.y)
        return NoSelection;
    int const row = static_cast<int>(std::floor((high.y - point.y) / rowHeight));
    return row < static_cast<int>(m_items.size()) ? row : NoSelection;
}

void CGUIComboBox::Click(CVector2 const& cursorPosition)
{
    if (IsMouseOnWindow()) {
        Open(!m_opened);
        return;
    }
    if (!m_opened)
        return;
    int const row = GetItemAt(cursorPosition);
    if (row != NoSelection)
        m_selection = row;
    Open(false);
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
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        CVector2 const row(low.x + inset, low.y - rowHeight * static_cast<float>(i + 1) + inset);
        m_listFont.Print(row, m_textColor, m_items[i]);
    }
}

void CGUIComboBox::Refresh(CVector2 const& cursorPosition)
{
    CGUIWindow::Refresh(cursorPosition);
    if (IsFree())
        return;
    m_list.Refresh(cursorPosition);
    if (IsVisible()) {
        if (GetContext().controls && GetContext().controls->IsKeyPressedOnce("MOUSE1"))
            Click(cursorPosition);
        Draw();
    } else if (m_opened) {
        Open(false);
    }
    m_boxFont.Refresh();
    m_listFont.Refresh();
}
