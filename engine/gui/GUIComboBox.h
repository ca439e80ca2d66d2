#pragma once

#include <string>
#include <vector>

#include "gui/GUIFont.h"
#include "gui/GUISound.h"
#include "gui/GUIWindow.h"
#include "math/Color.h"

// A box showing the selected item; a click opens the list of items, a click on an item selects
// it and closes the list, a click anywhere else closes it. The list hangs below the box, or
// above it when it fits there and not below; when it fits neither way it shows as many rows as
// there is room for and scrolls (mouse wheel, arrow keys, Page Up and Page Down). While open,
// the arrow keys move the highlighted item, Enter picks it and Escape closes the list.
class CGUIComboBox : public CGUIWindow
{
public:
    static constexpr int NoSelection = -1;
    static constexpr int ListHeightAboveBox = 50;

    CGUIComboBox() = default;
    ~CGUIComboBox() override;

    // Rows of the list are as high as the box; `listShader` covers the opened list. The box
    // plays `overSound` when the mouse comes onto it and `clickSound` when it opens or picks.
    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CShaderDescriptor const& listShader,
                CGUIWindow* parent, CGUIFont* font, CColor const& textColor, char const* overSound = nullptr,
                char const* clickSound = nullptr);
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
    // Sizes, places and shows the list for the current items.
    void UpdateList();
    CGUIWindow* GetList() { return &m_list; }
    // The item under a point of GUI space, or NoSelection.
    int GetItemAt(CVector2 const& point) const;
    // The first item the open list shows, and how many it shows.
    unsigned int GetFirstVisibleItem() const { return m_firstVisible; }
    unsigned int GetVisibleItemsCount() const { return m_visibleRows; }
    bool IsListAbove() const { return m_listAbove; }
    // The item the keys move over while the list is open.
    int GetHighlightedItem() const { return m_highlight; }
    // Width left for an item's text right of its picture (see SetItemPictureWidth).
    void SetItemPictureWidth(float width) { m_pictureWidth = width; }
    float GetItemPictureWidth() const { return m_pictureWidth; }
    // Where item `index` lies while the list is open (its left-bottom corner, GUI space);
    // false when it is scrolled out of view.
    bool GetItemRowPosition(unsigned int index, CVector2* position) const;

private:
    void Click(CVector2 const& cursorPosition);
    void TakeKeys();
    void Scroll(int rows);
    void Highlight(int item);
    void Draw();
    float GetScreenHeight() const;

    std::vector<std::string> m_items;
    int m_selection = NoSelection;
    int m_highlight = NoSelection;
    bool m_opened = false;
    bool m_listAbove = false;
    bool m_underMouse = false;
    unsigned int m_firstVisible = 0;
    unsigned int m_visibleRows = 0;
    float m_pictureWidth = 0.0f;
    CGUIWindow m_list;
    CGUIFont m_boxFont;
    CGUIFont m_listFont;
    CColor m_textColor;
    CGUISound m_overSound;
    CGUISound m_clickSound;
};
