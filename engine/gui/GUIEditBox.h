#pragma once

#include <string>

#include "gui/GUIFont.h"
#include "gui/GUISound.h"
#include "gui/GUIWindow.h"
#include "math/Color.h"

class CTimer;

// A one-line text field: prints the visible part of its text with a blinking caret and, while
// shown and focused, takes the keys entered this frame, in order.
class CGUIEditBox : public CGUIWindow
{
public:
    static constexpr unsigned int MaxCharacters = 255;
    static constexpr unsigned int ScrollBackStep = 5;
    static constexpr float CaretHalfPeriod = 0.4f;

    // Windows virtual-key codes the box acts on.
    static constexpr char KeyBackspace = 8;
    static constexpr char KeyEnd = 35;
    static constexpr char KeyHome = 36;
    static constexpr char KeyLeft = 37;
    static constexpr char KeyRight = 39;
    static constexpr char KeyInsert = 45;
    static constexpr char KeyDelete = 46;

    CGUIEditBox() = default;
    ~CGUIEditBox() override;

    void Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent, CGUIFont* font,
                CVector2 const& textOffset, CColor const& textColor, unsigned int maxCharacters,
                char cursorCharacter, char const* typingSound);
    void Destroy();

    void Refresh(CVector2 const& cursorPosition) override;

    // Cut to the maximum length; the caret goes to the end.
    void SetText(std::string const& text);
    std::string const& GetText() const { return m_text; }
    CGUIFont* GetFont() { return &m_font; }
    unsigned int GetCaretPosition() const { return m_caret; }
    unsigned int GetFirstVisibleCharacter() const { return m_firstVisible; }
    bool IsInserting() const { return m_inserting; }
    // Keeps the caret inside the box.
    void UpdateFirstVisibleCharacter();

    // Acts on one entered key as the frame's input would.
    void EnterKey(char code, bool isCharacter);

private:
    void Draw();
    float GetTextWidth() const;
    float GetWidth(unsigned int from, unsigned int to) const;
    void TypeCharacter(char character);

    CGUIFont m_font;
    CGUISound m_typingSound;
    CTimer* m_timer = nullptr;
    std::string m_text;
    unsigned int m_maxCharacters = MaxCharacters;
    unsigned int m_caret = 0;
    unsigned int m_firstVisible = 0;
    bool m_inserting = true;
    CVector2 m_textOffset = CVector2(0.0f, 0.0f);
    CColor m_textColor;
    char m_cursorCharacter = '_';
};
