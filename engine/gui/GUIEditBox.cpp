#include "gui/GUIEditBox.h"

#include <algorithm>
#include <cmath>

#include "core/Timer.h"
#include "core/TimerManager.h"
#include "input/Controls.h"

CGUIEditBox::~CGUIEditBox()
{
    Destroy();
}

void CGUIEditBox::Create(SGUIContext const& context, unsigned int properties, CVector2 const& position,
                         CVector2 const& size, CShaderDescriptor const& shader, CGUIWindow* parent,
                         CGUIFont* font, CVector2 const& textOffset, CColor const& textColor,
                         unsigned int maxCharacters, char cursorCharacter, char const* typingSound)
{
    Destroy();
    CGUIWindow::Create(context, properties, position, size, shader, parent);
    m_font.Create(font);
    m_typingSound.Load(context.soundManager, typingSound);
    if (context.timerManager)
        m_timer = context.timerManager->AddTimer(0.0f, false);
    m_text.clear();
    m_maxCharacters = std::min(maxCharacters, MaxCharacters);
    m_caret = 0;
    m_firstVisible = 0;
    m_inserting = true;
    m_textOffset = textOffset;
    m_textColor = textColor;
    m_cursorCharacter = cursorCharacter;
}

void CGUIEditBox::Destroy()
{
    m_font.Destroy();
    m_typingSound.Release();
    if (m_timer && GetContext().timerManager && !GetContext().timerManager->IsFree())
        GetContext().timerManager->RemoveTimer(m_timer);
    m_timer = nullptr;
    m_text.clear();
    CGUIWindow::Destroy();
}

void CGUIEditBox::SetText(std::string const& text)
{
    m_text = text.substr(0, m_maxCharacters);
    m_caret = static_cast<unsigned int>(m_text.size());
    if (m_firstVisible > m_caret)
        m_firstVisible = 0;
    UpdateFirstVisibleCharacter();
}

float CGUIEditBox::GetTextWidth() const
{
    return std::max(0.0f, GetSize().x - m_textOffset.x);
}

float CGUIEditBox::GetWidth(unsigned int from, unsigned int to) const
{
    if (to <= from)
        return 0.0f;
    return m_font.GetStringWidth(m_text.substr(from, to - from).c_str());
}

void CGUIEditBox::UpdateFirstVisibleCharacter()
{
    while (m_firstVisible > m_caret)
        m_firstVisible -= std::min(ScrollBackStep, m_firstVisible);
    while (m_firstVisible < m_caret && GetWidth(m_firstVisible, m_caret) > GetTextWidth())
        ++m_firstVisible;
}

void CGUIEditBox::TypeCharacter(char character)
{
    if (!m_font.IsCharacterInSet(character) && character != ' ')
        return;
    if (m_inserting || m_caret >= m_text.size()) {
        if (m_text.size() >= m_maxCharacters)
            return;
        m_text.insert(m_text.begin() + m_caret, character);
    } else {
        m_text[m_caret] = character;
    }
    ++m_caret;
    m_typingSound.Play();
}

void CGUIEditBox::EnterKey(char code, bool isCharacter)
{
    if (isCharacter) {
        TypeCharacter(code);
    } else {
        switch (code) {
        case KeyInsert:
            m_inserting = !m_inserting;
            break;
        case KeyDelete:
            if (m_caret < m_text.size())
                m_text.erase(m_caret, 1);
            break;
        case KeyBackspace:
            if (m_caret > 0)
                m_text.erase(--m_caret, 1);
            break;
        case KeyLeft:
            if (m_caret > 0)
                --m_caret;
            break;
        case KeyRight:
            if (m_caret < m_text.size())
                ++m_caret;
            break;
        case KeyHome:
            m_caret = 0;
            m_firstVisible = 0;
            break;
        case KeyEnd:
            m_caret = static_cast<unsigned int>(m_text.size());
            break;
        default:
            return;
        }
    }
    UpdateFirstVisibleCharacter();
}

void CGUIEditBox::Draw()
{
    CVector2 const origin = GetAbsolutePosition() + m_textOffset;
    m_font.SetModelDepthValue(GetDepth() - TextDepthOffset);

    // Only the characters from the first visible one that fit the box.
    unsigned int last = m_firstVisible;
    float const width = GetTextWidth();
    while (last < m_text.size() && GetWidth(m_firstVisible, last + 1) <= width)
        ++last;
    m_font.Print(origin, m_textColor, m_text.substr(m_firstVisible, last - m_firstVisible));

    double const time = m_timer ? m_timer->GetPreciseTime() : 0.0;
    if (static_cast<long long>(std::floor(time / CaretHalfPeriod)) % 2 == 0) {
        CVector2 const caret(origin.x + GetWidth(m_firstVisible, m_caret), origin.y);
        m_font.Print(caret, m_textColor, std::string(1, m_cursorCharacter));
    }
}

void CGUIEditBox::Refresh(CVector2 const& cursorPosition)
{
    CGUIWindow::Refresh(cursorPosition);
    if (IsFree())
        return;
    if (IsVisible()) {
        if (GetFocus() && GetContext().controls) {
            for (SEnteredKey const& key : GetContext().controls->GetEnteredKeys())
                EnterKey(key.code, key.isCharacter);
        }
        Draw();
    }
    // The text printed this frame is drawn this frame; the next one starts afresh.
    m_font.Refresh();
}
