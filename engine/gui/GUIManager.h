#pragma once

#include <deque>
#include <map>
#include <memory>
#include <typeinfo>

#include "gui/GUIButton.h"
#include "gui/GUICheckBox.h"
#include "gui/GUIComboBox.h"
#include "gui/GUIContext.h"
#include "gui/GUICursor.h"
#include "gui/GUIEditBox.h"
#include "gui/GUIFont.h"
#include "gui/GUIScroll.h"
#include "gui/GUISlider.h"
#include "gui/GUIWindow.h"
#include "math/Color.h"
#include "math/Vector.h"

class CModel;

// Owns every GUI element under one ID space (released IDs are reused oldest first), the GUI's
// orthographic camera and the cursors, refreshes the elements once per frame and prints text.
class CGUIManager
{
public:
    static constexpr float CameraNearPlane = 100.0f;
    static constexpr float CameraFarPlane = -100.0f;
    static constexpr float DepthTolerance = 0.00001f;

    CGUIManager() = default;
    ~CGUIManager();
    CGUIManager(CGUIManager const&) = delete;
    CGUIManager& operator=(CGUIManager const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CFileManager* fileManager,
                CWindow* window, CTimerManager* timerManager, CCameraManager* cameraManager,
                CShaderManager* shaderManager, CModelManager* modelManager, CControls* controls,
                CSoundManager* soundManager);
    void Destroy();
    bool IsFree() const { return m_free; }
    void SetFree(bool free) { m_free = free; }

    void SetScreenSize(float width, float height);
    float GetScreenWidth() const;
    float GetScreenHeight() const;
    unsigned int GetCameraIndex() const { return m_cameraIndex; }

    unsigned int AddWindow(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                           CShaderDescriptor const& shader, CGUIWindow* parent);
    unsigned int AddButton(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                           CShaderDescriptor const& shader, CGUIWindow* parent,
                           char const* overSound = nullptr, char const* clickSound = nullptr);
    unsigned int AddCheckBox(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                             CShaderDescriptor const& shader, CGUIWindow* parent,
                             char const* overSound = nullptr, char const* clickSound = nullptr);
    unsigned int AddEditBox(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                            CShaderDescriptor const& shader, CGUIWindow* parent, unsigned int fontId,
                            CVector2 const& textOffset, CColor const& textColor, unsigned int maxCharacters,
                            char cursorCharacter, char const* typingSound = nullptr);
    unsigned int AddEditBox(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                            CShaderDescriptor const& shader, CGUIWindow* parent, CGUIFont* font,
                            CVector2 const& textOffset, CColor const& textColor, unsigned int maxCharacters,
                            char cursorCharacter, char const* typingSound = nullptr);
    unsigned int AddComboBox(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                             CShaderDescriptor const& shader, CShaderDescriptor const& listShader,
                             CGUIWindow* parent, unsigned int fontId, CColor const& textColor,
                             char const* overSound = nullptr, char const* clickSound = nullptr);
    unsigned int AddComboBox(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                             CShaderDescriptor const& shader, CShaderDescriptor const& listShader,
                             CGUIWindow* parent, CGUIFont* font, CColor const& textColor,
                             char const* overSound = nullptr, char const* clickSound = nullptr);
    unsigned int AddSlider(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                           CShaderDescriptor const& shader, CShaderDescriptor const& toddlerShader,
                           CVector2 const& toddlerSize, CGUIWindow* parent, char const* overSound = nullptr,
                           char const* clickSound = nullptr);
    unsigned int AddScroll(unsigned int const& properties, CVector2 const& position, CVector2 const& size,
                           CShaderDescriptor const& shader, CShaderDescriptor const& thumbShader,
                           CGUIWindow* parent);
    unsigned int AddCursor(float size, CShaderDescriptor const& shader);
    unsigned int AddCursor(CModel const& model);
    unsigned int AddFont(CShaderDescriptor const& shader, char const* fileName);
    // The copy of `font` at the depth of text in `window`, made when there is none yet or when
    // the one there holds fewer than `capacity` glyphs a frame.
    unsigned int AddWindowFont(CGUIFont* font, CGUIWindow* window,
                               unsigned int capacity = CGUIFont::MaxCharacters);

    // RemoveWindow also removes a widget given by its ID.
    void RemoveWindow(unsigned int id);
    void RemoveButton(unsigned int id);
    void RemoveCheckBox(unsigned int id);
    void RemoveEditBox(unsigned int id);
    void RemoveComboBox(unsigned int id);
    void RemoveSlider(unsigned int id);
    void RemoveScroll(unsigned int id);
    void RemoveCursor(unsigned int id);
    // Removes the font's window copies as well.
    void RemoveFont(unsigned int id);
    void RemoveWindowFont(unsigned int id);

    CGUIWindow* GetWindow(unsigned int id) const { return Find(m_windows, id); }
    CGUIButton* GetButton(unsigned int id) const { return FindWidget<CGUIButton>(id); }
    CGUICheckBox* GetCheckBox(unsigned int id) const { return FindWidget<CGUICheckBox>(id); }
    CGUIEditBox* GetEditBox(unsigned int id) const { return FindWidget<CGUIEditBox>(id); }
    CGUIComboBox* GetComboBox(unsigned int id) const { return FindWidget<CGUIComboBox>(id); }
    CGUISlider* GetSlider(unsigned int id) const { return FindWidget<CGUISlider>(id); }
    CGUIScroll* GetScroll(unsigned int id) const { return FindWidget<CGUIScroll>(id); }
    CGUICursor* GetCursor(unsigned int id) const { return Find(m_cursors, id); }
    CGUIFont* GetFont(unsigned int id) const { return Find(m_fonts, id); }
    CGUIFont* GetWindowFont(unsigned int id) const { return Find(m_windowFonts, id); }
    unsigned int GetMainCursorId() const { return m_mainCursorId; }
    unsigned int GetWindowFontsCount() const { return static_cast<unsigned int>(m_windowFonts.size()); }

    CVector2 GetCursorPosition() const;

    // Text in a window (nothing when it is hidden), at a position relative to the window or
    // centred in it; one colour or one per character.
    void Print(CGUIFont* font, CGUIWindow* window, CVector2 const& position, CColor const& color,
               char const* format, ...) __attribute__((format(printf, 6, 7)));
    void Print(unsigned int fontId, unsigned int windowId, CVector2 const& position, CColor const& color,
               char const* format, ...) __attribute__((format(printf, 6, 7)));
    void Print(CGUIFont* font, CGUIWindow* window, CVector2 const& position, CColor const* colors,
               char const* format, ...) __attribute__((format(printf, 6, 7)));
    void Print(unsigned int fontId, unsigned int windowId, CVector2 const& position, CColor const* colors,
               char const* format, ...) __attribute__((format(printf, 6, 7)));
    void Print(bool centerHorizontally, bool centerVertically, CGUIFont* font, CGUIWindow* window,
               CVector2 const& position, CColor const& color, char const* format, ...)
        __attribute__((format(printf, 8, 9)));
    void Print(bool centerHorizontally, bool centerVertically, unsigned int fontId, unsigned int windowId,
               CVector2 const& position, CColor const& color, char const* format, ...)
        __attribute__((format(printf, 8, 9)));
    void Print(bool centerHorizontally, bool centerVertically, CGUIFont* font, CGUIWindow* window,
               CVector2 const& position, CColor const* colors, char const* format, ...)
        __attribute__((format(printf, 8, 9)));
    void Print(bool centerHorizontally, bool centerVertically, unsigned int fontId, unsigned int windowId,
               CVector2 const& position, CColor const* colors, char const* format, ...)
        __attribute__((format(printf, 8, 9)));

    // Once per frame: expired window fonts, cursors, windows, then fonts.
    void Refresh();
    // The same with the pointer at a given place instead of where the cursors read it.
    void Refresh(CVector2 const& cursorPosition);
    // The combo box whose list is open (it takes the mouse), or null.
    CGUIComboBox* GetOpenedComboBox() const;
    // The element that alone sees the mouse this frame (an open combo box or a shown modal
    // window), or null.
    CGUIWindow* GetMouseOwner() const;

private:
    template <typename T> using Owned = std::map<unsigned int, std::unique_ptr<T>>;

    template <typename T> static T* Find(Owned<T> const& map, unsigned int id)
    {
        auto const found = map.find(id);
        return found != map.end() ? found->second.get() : nullptr;
    }
    // The widget of exactly that kind (a check box is no button here), or null.
    template <typename T> static T* AsWidget(CGUIWindow* window)
    {
        return window && typeid(*window) == typeid(T) ? static_cast<T*>(window) : nullptr;
    }
    template <typename T> T* FindWidget(unsigned int id) const { return AsWidget<T>(GetWindow(id)); }
    template <typename T> unsigned int AddOwned(Owned<T>& map, std::unique_ptr<T> element);
    template <typename T> void RemoveOwned(Owned<T>& map, unsigned int id);
    template <typename T> void RemoveWidget(unsigned int id);

    void RemoveUnusedWindowFonts();
    void RefreshElements(CVector2 const& cursorPosition);
    unsigned int TakeId();
    void ReleaseId(unsigned int id);
    void PrintText(bool centerHorizontally, bool centerVertically, CGUIFont* font, CGUIWindow* window,
                   CVector2 const& position, CColor const& color, CColor const* colors,
                   std::string const& text);

    bool m_free = true;
    SGUIContext m_context;
    unsigned int m_cameraIndex = 0;
    unsigned int m_nextId = 0;
    std::deque<unsigned int> m_releasedIds;
    Owned<CGUICursor> m_cursors;
    Owned<CGUIFont> m_fonts;
    Owned<CGUIFont> m_windowFonts;
    // Every window and widget, each in this one place.
    Owned<CGUIWindow> m_windows;
    unsigned int m_mainCursorId = 0;
};
