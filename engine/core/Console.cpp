#include "core/Console.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/Config.h"
#include "core/MessageManager.h"
#include "core/TimerManager.h"
#include "gui/GUIManager.h"
#include "input/Controls.h"
#include "render/ShaderManager.h"

namespace
{
CColor const White("#FFFFFF");
CColor const Grey("#808080");
CColor const Red("#FF0000");
// Typed text and its echo: a light blue that stays readable on the dark console picture.
CColor const InputBlue("#8CC8FF");
CColor const Green("#00FF00");

constexpr unsigned int MaxFillLength = 255;

std::string FormatFloat(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%0.4f", static_cast<double>(value));
    return text;
}

std::string CommonBeginning(std::vector<std::string> const& texts)
{
    std::string common = texts.front();
    for (std::string const& text : texts) {
        std::size_t length = 0;
        while (length < common.size() && length < text.size() && common[length] == text[length])
            ++length;
        common.resize(length);
    }
    return common;
}
} // namespace

CConsole::~CConsole()
{
    Destroy();
}

void CConsole::Create(CMessageManager* messageManager, CMemoryManager* memoryManager,
                      CTimerManager* timerManager, CConfig* config, CControls* controls,
                      CShaderManager* shaderManager, CGUIManager* guiManager, std::string const& title,
                      CShaderDescriptor const& background, CGUIFont* font, float fontSize,
                      char cursorCharacter, char promptCharacter, char markerCharacter,
                      std::string const& typingSound, std::string const& defaultKey, float alpha, float size,
                      float speed)
{
    Destroy();
    m_messageManager = messageManager;
    m_memoryManager = memoryManager;
    m_timerManager = timerManager;
    m_config = config;
    m_controls = controls;
    m_shaderManager = shaderManager;
    m_guiManager = guiManager;
    m_free = false;

    m_font = font;
    m_fontSize = fontSize;
    RegisterVariables(alpha, size, speed, defaultKey);

    m_margin = 0.2f * fontSize;
    m_rowHeight = 1.2f * fontSize;
    m_prompt = std::string(1, promptCharacter);

    float const width = GetScreenWidth();
    float const height = GetScreenHeight();
    CShaderDescriptor empty;
    shaderManager->CreateShaderDescriptor(&empty, 0u);
    m_frameWindowId =
        guiManager->AddWindow(GWP_SHOWN, CVector2(0.0f, 0.0f), CVector2(0.0f, 0.0f), empty, nullptr);
    m_frameWindow = guiManager->GetWindow(m_frameWindowId);
    // The background picture is loaded when the console first opens.
    m_background = std::make_unique<CShaderDescriptor>();
    m_background->Create(background);
    m_consoleWindowId =
        guiManager->AddWindow(0, CVector2(0.0f, height), CVector2(width, height), empty, m_frameWindow);
    m_consoleWindow = guiManager->GetWindow(m_consoleWindowId);
    m_consoleWindow->SetHeightAboveParent(ConsoleHeightAboveFrame);

    // The box itself is see-through: only its text shows.
    CShaderDescriptor clear;
    shaderManager->CreateShaderDescriptor(&clear, SP_BLENDING);
    clear.SetBlendingFactor(0, SBF_SRC_ALPHA);
    clear.SetBlendingFactor(1, SBF_INV_SRC_ALPHA);
    float const boxLeft = m_margin + font->GetStringWidth(m_prompt.c_str());
    m_editBoxId = guiManager->AddEditBox(GWP_SHOWN, CVector2(boxLeft, m_margin + m_rowHeight),
                                         CVector2(std::max(0.0f, width - boxLeft), m_rowHeight), clear,
                                         m_consoleWindow, font, CVector2(0.0f, 0.0f), InputBlue,
                                         CGUIEditBox::MaxCharacters, cursorCharacter, typingSound.c_str());
    m_editBox = guiManager->GetEditBox(m_editBoxId);
    m_editBox->SetColor(CVector4(1.0f, 1.0f, 1.0f, 0.0f));
    m_editBox->SetFocus(false);

    m_scrollOffset = 0;
    m_historyIndex = 0;
    m_state = CS_CLOSED;
    BuildFillLines(title, markerCharacter);
    m_nickname = "Quelloth";
}

void CConsole::RegisterVariables(float alpha, float size, float speed, std::string const& defaultKey)
{
    m_alpha = alpha;
    m_height = size;
    m_speed = speed;
    std::snprintf(m_key, sizeof m_key, "%s", defaultKey.c_str());
    m_say[0] = '\0';
    m_config->CreateCommand("i_console_alpha", CCT_FLOAT, false, true, &m_alpha, FormatFloat(alpha).c_str());
    m_config->CreateCommand("i_console_size", CCT_FLOAT, false, true, &m_height, FormatFloat(size).c_str());
    m_config->CreateCommand("i_console_speed", CCT_FLOAT, false, true, &m_speed, FormatFloat(speed).c_str());
    m_config->CreateCommand("i_console_key", CCT_STRING, false, true, m_key, defaultKey.c_str());
    m_config->CreateCommand("say", CCT_STRING, false, false, m_say, "");
    m_config->Load();

    // Out-of-range configured values fall back to the arguments.
    if (!(m_alpha > 0.0f && m_alpha <= 1.0f))
        m_alpha = alpha;
    if (!(m_height > 0.0f && m_height <= GetScreenHeight()))
        m_height = size;
    if (!(m_speed >= 0.0f))
        m_speed = speed;
}

void CConsole::BuildFillLines(std::string const& title, char markerCharacter)
{
    // Printed at the margin, the lines end one margin short of the right edge.
    float const width = GetScreenWidth() - 2.0f * m_margin;
    m_titleLine = title;
    while (m_titleLine.size() < MaxFillLength && m_font->GetStringWidth((" " + m_titleLine).c_str()) <= width)
        m_titleLine.insert(m_titleLine.begin(), ' ');
    m_markerLine.clear();
    while (m_markerLine.size() < MaxFillLength &&
           m_font->GetStringWidth((m_markerLine + markerCharacter).c_str()) <= width)
        m_markerLine.push_back(markerCharacter);
}

void CConsole::Destroy()
{
    if (m_free)
        return;
    if (m_guiManager && !m_guiManager->IsFree()) {
        m_guiManager->RemoveEditBox(m_editBoxId);
        m_guiManager->RemoveWindow(m_consoleWindowId);
        m_guiManager->RemoveWindow(m_frameWindowId);
    }
    m_editBox = nullptr;
    m_background.reset();
    m_consoleWindow = nullptr;
    m_frameWindow = nullptr;
    m_lines.clear();
    m_rowStarts.clear();
    m_history.clear();
    m_historyIndex = 0;
    m_scrollOffset = 0;
    m_state = CS_CLOSED;
    m_free = true;
}

float CConsole::GetScreenWidth() const
{
    return m_guiManager->GetScreenWidth();
}

float CConsole::GetScreenHeight() const
{
    return m_guiManager->GetScreenHeight();
}

void CConsole::StoreLine(CColor const& color, std::string const& text, bool endsRow, float width)
{
    if (m_lines.empty() || m_lines.back().endsRow)
        m_rowStarts.push_back(m_lines.size());
    m_lines.push_back(SConsoleLine{color, text, endsRow, width});
}

void CConsole::AddString(CColor const& color, std::string const& text)
{
    float const screenWidth = GetScreenWidth();
    std::string fragment;
    float width = 0.0f;
    for (char const character : text) {
        if (character == '\n') {
            StoreLine(color, fragment + '\n', true, width);
            fragment.clear();
            width = 0.0f;
            continue;
        }
        char const single[2] = {character, '\0'};
        float const advance = m_font->GetStringWidth(single);
        if (!fragment.empty() && width + advance > screenWidth) {
            // Wraps without regard to words: the character that does not fit starts the next row.
            StoreLine(color, fragment + '\n', true, width);
            fragment.clear();
            width = 0.0f;
        }
        fragment.push_back(character);
        width += advance;
    }
    if (!fragment.empty())
        StoreLine(color, fragment, false, width);
}

void CConsole::TakeMessages()
{
    unsigned int const count = m_messageManager->GetMessagesCount();
    for (unsigned int i = 0; i < count; ++i) {
        EMessageType const type = m_messageManager->GetMessageType(i);
        CColor const& color = type == MT_MESSAGE ? White : type == MT_WARNING ? Grey : Red;
        AddString(color, m_messageManager->GetMessageText(i));
    }
}

void CConsole::Toggle()
{
    if (!m_controls->IsKeyPressedOnce(m_key))
        return;
    if (m_state == CS_CLOSING || m_state == CS_CLOSED) {
        m_state = CS_OPENING;
        if (m_background) {
            m_consoleWindow->ChangeShader(*m_background);
            m_background.reset();
        }
        m_consoleWindow->AddProperties(GWP_SHOWN);
        m_editBox->SetText("");
    } else {
        m_state = CS_CLOSING;
        m_editBox->SetFocus(false);
    }
}

void CConsole::Slide()
{
    float const screenHeight = GetScreenHeight();
    float const open = screenHeight - m_height;
    float const step = m_speed * m_timerManager->GetElapsedTime();
    CVector2 position = m_consoleWindow->GetPosition();
    if (m_state == CS_OPENING) {
        position.y -= step;
        if (position.y <= open) {
            position.y = open;
            m_state = CS_OPEN;
            m_editBox->SetFocus(true);
        }
    } else if (m_state == CS_CLOSING) {
        position.y += step;
        if (position.y >= screenHeight) {
            position.y = screenHeight;
            m_state = CS_CLOSED;
            m_consoleWindow->RemoveProperties(GWP_SHOWN);
            m_scrollOffset = 0;
        }
    } else if (m_state == CS_OPEN) {
        position.y = open;
    }
    m_consoleWindow->SetPosition(position);
}

void CConsole::Draw()
{
    m_consoleWindow->SetColor(CVector4(1.0f, 1.0f, 1.0f, m_alpha));
    struct SPrinted
    {
        CVector2 position;
        CColor const* color;
        std::string text;
    };
    std::vector<SPrinted> printed;
    float y = m_margin;
    printed.push_back({CVector2(m_margin, y), &White, m_titleLine});
    y += m_rowHeight;
    printed.push_back({CVector2(m_margin, y), &White, m_prompt});
    y += m_rowHeight;
    if (m_scrollOffset != 0) {
        printed.push_back({CVector2(m_margin, y), &White, m_markerLine});
        y += m_rowHeight;
    }
    std::size_t const rows = m_rowStarts.size();
    if (m_scrollOffset > rows)
        m_scrollOffset = static_cast<unsigned int>(rows);
    for (std::size_t row = rows - m_scrollOffset; row > 0 && y + m_rowHeight <= m_height; --row) {
        std::size_t const first = m_rowStarts[row - 1];
        std::size_t const end = row < rows ? m_rowStarts[row] : m_lines.size();
        float x = m_margin;
        for (std::size_t i = first; i < end; ++i) {
            SConsoleLine const& line = m_lines[i];
            std::string const text = line.endsRow ? line.text.substr(0, line.text.size() - 1) : line.text;
            printed.push_back({CVector2(x, y), &line.color, text});
            x += line.width;
        }
        y += m_rowHeight;
    }
    // A full console holds more glyphs than a font copy's usual frame: its copy is made large
    // enough for every row.
    std::size_t glyphs = 0;
    for (SPrinted const& text : printed)
        glyphs += text.text.size();
    unsigned int const blocks = static_cast<unsigned int>(glyphs / CGUIFont::MaxCharacters) + 1;
    m_guiManager->AddWindowFont(m_font, m_consoleWindow, blocks * CGUIFont::MaxCharacters);
    for (SPrinted const& text : printed)
        m_guiManager->Print(m_font, m_consoleWindow, text.position, *text.color, "%s", text.text.c_str());
}

void CConsole::ExecuteLine()
{
    std::string text = m_editBox->GetText();
    if (text.empty() || text == "\\")
        return;
    m_editBox->SetText("");

    SConfigCommandExecutionResult const result = m_config->ExecuteCommand(text.c_str());
    if (result.code == CER_EMPTY)
        return;
    if (text[0] != '\\')
        text.insert(text.begin(), '\\');
    m_history.push_back(text);
    m_historyIndex = static_cast<unsigned int>(m_history.size());
    AddString(InputBlue, m_prompt + text + "\n");

    char line[4 * TextLength];
    bool const isSay = std::strcmp(result.name, "say") == 0;
    switch (result.code) {
    case CER_SHOW_VALUE:
        if (!isSay) {
            std::string const value = m_config->GetValue(result.name);
            std::string const defaultValue = m_config->GetDefaultValue(result.name);
            std::snprintf(line, sizeof line, "\"%s\" is \"%s\", default is \"%s\"\n", result.name,
                          value.c_str(), defaultValue.c_str());
            AddString(White, line);
        }
        break;
    case CER_READ_ONLY:
        std::snprintf(line, sizeof line, "\"%s\" is read only\n", result.name);
        AddString(White, line);
        break;
    case CER_UNKNOWN:
        std::snprintf(line, sizeof line, "Unknown command \"%s\"\n", result.name);
        AddString(White, line);
        break;
    case CER_DONE:
        if (isSay) {
            AddString(White, m_nickname + ": \"");
            AddString(Green, m_say);
            AddString(White, "\"\n");
        }
        break;
    case CER_EMPTY:
        break;
    }
}

void CConsole::CompleteLine()
{
    std::string text = m_editBox->GetText();
    if (text.empty())
        return;
    for (char& character : text)
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    if (text[0] != '\\')
        text.insert(text.begin(), '\\');

    std::vector<std::string> candidates;
    unsigned int const count = m_config->GetCommandsCount();
    for (unsigned int i = 0; i < count; ++i) {
        std::string const candidate = "\\" + m_config->GetCommandName(i);
        if (candidate.compare(0, text.size(), text) == 0)
            candidates.push_back(candidate);
    }

    if (candidates.empty()) {
        m_editBox->SetText(text);
    } else if (candidates.size() == 1) {
        m_editBox->SetText(candidates.front() + " ");
    } else {
        AddString(InputBlue, text + "\n");
        for (std::string const& candidate : candidates)
            AddString(White, "    " + candidate + "\n");
        m_editBox->SetText(CommonBeginning(candidates));
    }
}

void CConsole::HandleKeys()
{
    for (SEnteredKey const& key : m_controls->GetEnteredKeys()) {
        if (!key.isCharacter)
            HandleKey(key.code);
    }
}

void CConsole::HandleKey(char code)
{
    switch (static_cast<unsigned char>(code)) {
    case KeyEnter:
        ExecuteLine();
        break;
    case KeyEscape:
        m_editBox->SetText("");
        break;
    case KeyTab:
        CompleteLine();
        break;
    case KeyUp:
        if (m_historyIndex > 0) {
            --m_historyIndex;
            m_editBox->SetText(m_history[m_historyIndex]);
        }
        break;
    case KeyDown:
        if (m_historyIndex < m_history.size()) {
            ++m_historyIndex;
            m_editBox->SetText(m_historyIndex == m_history.size() ? std::string()
                                                                  : m_history[m_historyIndex]);
        }
        break;
    case KeyPageUp:
        ++m_scrollOffset;
        break;
    case KeyPageDown:
        if (m_scrollOffset > 0)
            --m_scrollOffset;
        break;
    default:
        break;
    }
}

void CConsole::Refresh()
{
    if (m_free)
        return;
    TakeMessages();
    Toggle();
    Slide();
    if (m_state == CS_CLOSED)
        return;
    Draw();
    HandleKeys();
}
