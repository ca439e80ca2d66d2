#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "math/Color.h"

class CConfig;
class CControls;
class CGUIEditBox;
class CGUIFont;
class CGUIManager;
class CGUIWindow;
class CMemoryManager;
class CMessageManager;
class CShaderDescriptor;
class CShaderManager;
class CTimerManager;

enum ConsoleState : std::int32_t
{
    CS_OPENING = 0,
    CS_OPEN = 1,
    CS_CLOSING = 2,
    CS_CLOSED = 3,
};

// One text fragment of the console; fragments that do not end their row continue it.
struct SConsoleLine
{
    CColor color;
    std::string text;
    bool endsRow = false;
    float width = 0.0f;
};

// A drop-down console over the GUI: shows the engine's messages, runs configuration commands
// typed into its edit box, with history, completion and scroll-back.
class CConsole
{
public:
    static constexpr unsigned int TextLength = 256;
    static constexpr int ConsoleHeightAboveFrame = 500;

    // Windows virtual-key codes the console acts on.
    static constexpr unsigned char KeyTab = 9;
    static constexpr unsigned char KeyEnter = 13;
    static constexpr unsigned char KeyEscape = 27;
    static constexpr unsigned char KeyPageUp = 0x21;
    static constexpr unsigned char KeyPageDown = 0x22;
    static constexpr unsigned char KeyUp = 0x26;
    static constexpr unsigned char KeyDown = 0x28;

    CConsole() = default;
    ~CConsole();
    CConsole(CConsole const&) = delete;
    CConsole& operator=(CConsole const&) = delete;

    void Create(CMessageManager* messageManager, CMemoryManager* memoryManager, CTimerManager* timerManager,
                CConfig* config, CControls* controls, CShaderManager* shaderManager, CGUIManager* guiManager,
                std::string const& title, CShaderDescriptor const& background, CGUIFont* font, float fontSize,
                char cursorCharacter, char promptCharacter, char markerCharacter,
                std::string const& typingSound, std::string const& defaultKey, float alpha, float size,
                float speed);
    void Destroy();
    bool IsFree() const { return m_free; }

    // Once per frame.
    void Refresh();

    ConsoleState GetState() const { return m_state; }
    void SetNickname(std::string const& nickname) { m_nickname = nickname; }
    std::string const& GetNickname() const { return m_nickname; }

    std::vector<SConsoleLine> const& GetLines() const { return m_lines; }
    std::vector<std::string> const& GetHistory() const { return m_history; }
    unsigned int GetScrollOffset() const { return m_scrollOffset; }
    unsigned int GetRowsCount() const { return static_cast<unsigned int>(m_rowStarts.size()); }
    std::string const& GetTitleLine() const { return m_titleLine; }
    std::string const& GetMarkerLine() const { return m_markerLine; }
    CGUIWindow* GetConsoleWindow() const { return m_consoleWindow; }
    CGUIEditBox* GetEditBox() const { return m_editBox; }

protected:
    void AddString(CColor const& color, std::string const& text);
    void SetFree(bool free) { m_free = free; }

private:
    void RegisterVariables(float alpha, float size, float speed, std::string const& defaultKey);
    void BuildFillLines(std::string const& title, char markerCharacter);
    void StoreLine(CColor const& color, std::string const& text, bool endsRow, float width);
    void TakeMessages();
    void Toggle();
    void Slide();
    void Draw();
    // The line keys among the keys entered this frame (the edit box has taken the text).
    void HandleKeys();
    void HandleKey(char code);
    void ExecuteLine();
    void CompleteLine();
    float GetScreenWidth() const;
    float GetScreenHeight() const;

    bool m_free = true;
    CMessageManager* m_messageManager = nullptr;
    CMemoryManager* m_memoryManager = nullptr;
    CTimerManager* m_timerManager = nullptr;
    CConfig* m_config = nullptr;
    CControls* m_controls = nullptr;
    CShaderManager* m_shaderManager = nullptr;
    CGUIManager* m_guiManager = nullptr;
    ConsoleState m_state = CS_CLOSED;
    char m_key[TextLength] = {};
    float m_alpha = 1.0f;
    float m_height = 0.0f;
    float m_speed = 0.0f;
    std::string m_prompt;
    std::string m_markerLine;
    std::string m_titleLine;
    char m_say[TextLength] = {};
    float m_fontSize = 0.0f;
    CGUIFont* m_font = nullptr;
    unsigned int m_frameWindowId = 0;
    CGUIWindow* m_frameWindow = nullptr;
    unsigned int m_consoleWindowId = 0;
    CGUIWindow* m_consoleWindow = nullptr;
    std::unique_ptr<CShaderDescriptor> m_background; // until the console first opens
    unsigned int m_editBoxId = 0;
    CGUIEditBox* m_editBox = nullptr;
    unsigned int m_scrollOffset = 0;
    std::vector<SConsoleLine> m_lines;
    // Index of the first fragment of every row, oldest first.
    std::vector<std::size_t> m_rowStarts;
    unsigned int m_historyIndex = 0;
    std::vector<std::string> m_history;
    float m_margin = 0.0f;
    float m_rowHeight = 0.0f;
    std::string m_nickname;
};
