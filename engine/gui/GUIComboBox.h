#pragma once

#include <string>
#include <vector>

#include "gui/GUIFont.h"
#include "gui/GUIWindow.h"
#include "math/Color.h"

// A box showing the selected item; a click opens the list of items below it, a click on an
// item selects it and closes the list, a click anywhere else closes it.
class CGUIComboBox : public CGUIWindow
{
public:
    static constexpr int NoSelection = -1;
    static constexpr int ListHeightAboveBox = 50;

    CGUIComboBox() = default;
    ~CGUIComboBox() override;

    // Rows of the list are as high as the box; `listShader` covers the opened list.
    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CShaderDescriptor const& listShader,
                CGUIWindow* parent, CGUIFont* font, CColor const& textColor);
    void Destroy();

    void Refresh(CVector2 const& cursorPosition) override;

    unsigned int AddItem(char const* text);
    void RemoveItem(unsigned int index);
    void RemoveAllItems();
    unsigned int GetItemsCount() const { return static_cast<unsigned int>(m_items.size()); }
    // Null for an index past the items.
    char const* GetItemText(unsigned int index) const;
    // An index past the items clears the selection.
    void SetSelection(int index);
    int GetSelectedItemIndex() const { return m_selection; }
    bool IsOpened() const { return m_opened; }
    void Open(bool open);
    // Sizes and shows the list for the current items.
    void UpdateList();
    CGUIWindow* GetList() { return &m_list; }
    // The item row under a point of GUI space, or NoSelection.
    int GetItemAt(CVector2 const& point) const;

private:
    void Click(CVector2 const& cursorPosition);
    void Draw();

    std::vector<std::string> m_items;
    int m_selection = NoSelection;
    bool m_opened = false;
    CGUIWindow m_list;
    CGUIFont m_boxFont;
    CGUIFont m_listFont;
    CColor m_textColor;
};
